#include "analysis/ui/CKeyboardPicture.h"

#include "widgets/ui/COffScreenPicture.h"

#include "fakes/RecordingMessageSink.h"

#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace harkwell {
namespace {

using testing::RecordingMessageSink;

class CKeyboardPictureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        parent_.resize(400, 300);
        host_ = new COffScreenPicture(&parent_);
        parent_.show();
    }

    std::unique_ptr<CKeyboardPicture> Build(int lowest, int highest)
    {
        const auto record = [this](const char* name) {
            return [this, name](int note) { events_.push_back(std::string(name) + " " + std::to_string(note)); };
        };
        auto keyboard = std::make_unique<CKeyboardPicture>(messages_, host_, PictureRect{10, 180, 390, 240}, lowest,
                                                           highest, record("down"), record("up"), record("dbl"));
        keyboard->Redraw();
        keyboard->Show();
        return keyboard;
    }

    QColor Drawn(int x, int y) const { return host_->Surface().pixelColor(x, y); }
    QColor OnScreen(int x, int y) const { return host_->Shown().pixelColor(x, y); }

    QWidget parent_;
    COffScreenPicture* host_ = nullptr;
    RecordingMessageSink messages_;
    std::vector<std::string> events_;
};

TEST_F(CKeyboardPictureTest, DrawsWhiteAndBlackKeysWithTheirEdges)
{
    auto keyboard = Build(60, 96);
    EXPECT_EQ(host_->geometry(), QRect(10, 180, 380, 60));
    EXPECT_EQ(OnScreen(4, 50), QColor(Qt::white)) << "key 60, below the black keys";
    EXPECT_EQ(OnScreen(17, 50), QColor(Qt::black)) << "the edge after key 60";
    EXPECT_EQ(OnScreen(12, 10), QColor(Qt::black)) << "key 61";
    EXPECT_EQ(OnScreen(25, 10), QColor(Qt::white)) << "the white edge of key 61";
    EXPECT_EQ(OnScreen(12, 31), QColor(Qt::white)) << "below key 61";

    keyboard->SetKeyColour(60, 0x00FFFF);  // yellow
    keyboard->SetKeyColour(61, 0xFF0000);  // blue
    keyboard->Redraw();
    EXPECT_EQ(OnScreen(4, 50), QColor(Qt::white)) << "not shown before Show";
    keyboard->Show();
    EXPECT_EQ(OnScreen(4, 50), QColor(Qt::yellow));
    EXPECT_EQ(OnScreen(12, 10), QColor(Qt::blue));
    EXPECT_TRUE(messages_.messages.empty());
}

TEST_F(CKeyboardPictureTest, MarksNotesInGreenUntilCleared)
{
    auto keyboard = Build(60, 96);
    keyboard->MarkNote(60);
    keyboard->MarkNote(61);
    keyboard->MarkNote(61);
    EXPECT_EQ(OnScreen(4, 50), QColor(0, 0xFF, 0));
    EXPECT_EQ(OnScreen(12, 10), QColor(0, 0x7F, 0));
    keyboard->ClearMarkedNotes();
    EXPECT_EQ(OnScreen(4, 50), QColor(Qt::white));
    EXPECT_EQ(OnScreen(12, 10), QColor(Qt::black));
}

TEST_F(CKeyboardPictureTest, ReportsPressDoubleClickAndReleaseAsNotes)
{
    auto keyboard = Build(60, 96);
    QTest::mousePress(host_, Qt::LeftButton, {}, {12, 10});
    EXPECT_EQ(keyboard->PressedKey(), 1);
    EXPECT_EQ(Drawn(12, 10), QColor(Qt::red)) << "red off screen";
    EXPECT_EQ(OnScreen(12, 10), QColor(Qt::black)) << "and only there";
    QTest::mouseRelease(host_, Qt::LeftButton, {}, {12, 10});
    EXPECT_EQ(keyboard->PressedKey(), -1);
    EXPECT_EQ(Drawn(12, 10), QColor(Qt::black)) << "the release redraws";

    QTest::mousePress(host_, Qt::LeftButton, {}, {4, 50});
    QTest::mouseRelease(host_, Qt::LeftButton, {}, {4, 50});
    QTest::mouseDClick(host_, Qt::LeftButton, {}, {4, 50});
    EXPECT_EQ(Drawn(4, 50), QColor(Qt::yellow));
    QTest::mouseRelease(host_, Qt::LeftButton, {}, {4, 50});
    EXPECT_EQ(events_, (std::vector<std::string>{"down 61", "up 61", "down 60", "up 60", "dbl 60", "up 60"}));
}

TEST_F(CKeyboardPictureTest, ALeaveReleasesThePressedKeyAndAMissPressesNothing)
{
    auto keyboard = Build(61, 70);
    QTest::mousePress(host_, Qt::LeftButton, {}, {100, 55});
    QMouseEvent away(QEvent::MouseMove, QPointF(500, 20), host_->mapToGlobal(QPointF(500, 20)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(host_, &away);
    EXPECT_EQ(keyboard->PressedKey(), -1);
    QTest::mouseRelease(host_, Qt::LeftButton, {}, {100, 55});

    // 61..70 on 380 pixels: nothing lies below the black key 61 at the left end.
    QTest::mousePress(host_, Qt::LeftButton, {}, {5, 50});
    EXPECT_EQ(keyboard->PressedKey(), -1);
    QTest::mouseRelease(host_, Qt::LeftButton, {}, {5, 50});
    EXPECT_EQ(events_, (std::vector<std::string>{"down 64", "up 64"}));
    EXPECT_TRUE(messages_.messages.empty());
}

TEST_F(CKeyboardPictureTest, ARefusedRangeBuildsNoKeysAndSaysSo)
{
    auto keyboard = Build(60, 200);
    EXPECT_EQ(messages_.Texts(), std::vector<std::string>{"CKeyboardPicture::ErrorMsg"});
    EXPECT_EQ(keyboard->Layout().KeyCount(), 0);
    QTest::mousePress(host_, Qt::LeftButton, {}, {5, 50});
    QTest::mouseRelease(host_, Qt::LeftButton, {}, {5, 50});
    EXPECT_TRUE(events_.empty());
    EXPECT_EQ(messages_.Texts(), (std::vector<std::string>{"CKeyboardPicture::ErrorMsg", "CKeyboardPicture error"}));
    EXPECT_EQ(messages_.messages.back().kind, MessageKind::Plain);
}

}  // namespace
}  // namespace harkwell
