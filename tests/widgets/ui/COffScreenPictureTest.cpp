#include "widgets/ui/COffScreenPicture.h"

#include <QTest>

#include "fakes/MouseActions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace harkwell {
namespace {

// Records every callback as "name(x,y,tag)".
struct EventLog {
    std::vector<std::string> events;

    PictureCallback Recorder(const std::string& name)
    {
        return [this, name](int x, int y, int tag) {
            events.push_back(name + "(" + std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(tag) + ")");
        };
    }
    PictureCallbacks All()
    {
        return {Recorder("down"), Recorder("up"), Recorder("move"), Recorder("dbl")};
    }
};

class COffScreenPictureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        parent_.resize(600, 400);
        picture_ = new COffScreenPicture(&parent_);
        parent_.show();
    }


    QWidget parent_;
    COffScreenPicture* picture_ = nullptr;
    EventLog log_;
};

TEST_F(COffScreenPictureTest, IsPlacedAtItsRectangleWithASurfaceOfItsSize)
{
    picture_->CreateOffScreen({10, 180, 390, 240}, {});
    EXPECT_EQ(picture_->geometry(), QRect(10, 180, 380, 60));
    EXPECT_EQ(picture_->Surface().size(), QSize(380, 60));
    EXPECT_EQ(picture_->Tag(), -1);
}

TEST_F(COffScreenPictureTest, ShowsTheSurfaceOnlyWhenAsked)
{
    picture_->CreateOffScreen({0, 0, 20, 10}, {});
    picture_->Surface().fill(Qt::red);
    EXPECT_NE(picture_->Shown().pixelColor(5, 5), QColor(Qt::red));
    picture_->ShowOffScreen();
    EXPECT_EQ(picture_->Shown().pixelColor(5, 5), QColor(Qt::red));
    EXPECT_EQ(picture_->grab().toImage().pixelColor(5, 5), QColor(Qt::red));
}

TEST_F(COffScreenPictureTest, ReportsPressReleaseMoveAndDoubleClickWithTheTag)
{
    picture_->CreateOffScreen({10, 10, 110, 60}, log_.All());
    picture_->SetTag(7);
    QTest::mousePress(picture_, Qt::LeftButton, {}, {5, 6});
    EXPECT_TRUE(picture_->IsPressed());
    testing::MoveHeld(picture_, {8, 9});
    QTest::mouseRelease(picture_, Qt::LeftButton, {}, {9, 9});
    EXPECT_FALSE(picture_->IsPressed());
    // A double click arrives as press, release, double click, release.
    QTest::mousePress(picture_, Qt::LeftButton, {}, {20, 21});
    QTest::mouseRelease(picture_, Qt::LeftButton, {}, {20, 21});
    QTest::mouseDClick(picture_, Qt::LeftButton, {}, {20, 21});
    QTest::mouseRelease(picture_, Qt::LeftButton, {}, {20, 21});
    EXPECT_EQ(log_.events, (std::vector<std::string>{"down(5,6,7)", "move(8,9,7)", "up(9,9,7)", "down(20,21,7)",
                                                     "up(20,21,7)", "dbl(20,21,7)", "up(20,21,7)"}));
}

TEST_F(COffScreenPictureTest, ALeaveWhilePressedIsTheOneRelease)
{
    picture_->CreateOffScreen({10, 10, 110, 60}, log_.All());
    picture_->SetTag(2);
    QTest::mousePress(picture_, Qt::LeftButton, {}, {50, 20});
    testing::MoveHeld(picture_, {150, 20});
    testing::MoveHeld(picture_, {160, 20});
    testing::MoveHeld(picture_, {50, 20});  // back over the control, button still down
    QTest::mouseRelease(picture_, Qt::LeftButton, {}, {50, 20});
    EXPECT_EQ(log_.events, (std::vector<std::string>{"down(50,20,2)", "up(-1,-1,2)", "move(50,20,2)"}));
    EXPECT_FALSE(picture_->IsPressed());
}

TEST_F(COffScreenPictureTest, WithoutAPressCallbackNoLeaveIsReported)
{
    PictureCallbacks callbacks = log_.All();
    callbacks.onLButtonDown = nullptr;
    picture_->CreateOffScreen({10, 10, 110, 60}, callbacks);
    QTest::mousePress(picture_, Qt::LeftButton, {}, {50, 20});
    testing::MoveHeld(picture_, {150, 20});
    QTest::mouseRelease(picture_, Qt::LeftButton, {}, {150, 20});
    EXPECT_TRUE(log_.events.empty()) << log_.events.front();

    QTest::mousePress(picture_, Qt::LeftButton, {}, {50, 20});
    QTest::mouseRelease(picture_, Qt::LeftButton, {}, {51, 20});
    EXPECT_EQ(log_.events, std::vector<std::string>{"up(51,20,-1)"});
}

TEST(ColourFromBgr, TakesRedFromTheLowByte)
{
    EXPECT_EQ(ColourFromBgr(0x7F7FFF), QColor(255, 127, 127));
    EXPECT_EQ(ColourFromBgr(0x326464), QColor(100, 100, 50));
}

}  // namespace
}  // namespace harkwell
