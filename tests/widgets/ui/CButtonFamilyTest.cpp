#include "widgets/ui/CBitmapResources.h"
#include "widgets/ui/CButtonFamily.h"

#include "fakes/MouseActions.h"
#include "fakes/ModalWatcher.h"

#include <QDialog>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

namespace harkwell {
namespace {

// Pixels within a small distance of the colour: the cores of antialiased letters.
int CountColour(const QImage& image, QColor colour)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            const int distance = std::abs(pixel.red() - colour.red()) + std::abs(pixel.green() - colour.green()) +
                                 std::abs(pixel.blue() - colour.blue());
            count += distance <= 48 ? 1 : 0;
        }
    return count;
}

class CButtonFamilyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window_.resize(900, 300);
        window_.show();
    }

    COffScreenPicture* NewHost() { return new COffScreenPicture(&window_); }

    // Creates the family's first button at (10, 5)-(98, 32) with the tag.
    COffScreenPicture* FirstButton(CButtonFamily& family, int tag, const QString& caption = "  Play")
    {
        COffScreenPicture* host = NewHost();
        family.CreateFirstButton([this](std::uint32_t t) { presses_.push_back(t); },
                                 [this](std::uint32_t t) { releases_.push_back(t); }, host, {10, 5, 98, 32}, caption,
                                 kReleasedButtonBitmap, kPressedButtonBitmap, tag);
        return host;
    }


    QWidget window_;
    std::vector<std::uint32_t> presses_;
    std::vector<std::uint32_t> releases_;
};

TEST_F(CButtonFamilyTest, DrawsTheReleasedLookAndFiresItsCommandOnTheWayDown)
{
    CButtonFamily family(ButtonFamilyKind::A);
    COffScreenPicture* host = FirstButton(family, 2);
    EXPECT_EQ(host->geometry(), QRect(10, 5, 88, 27));
    EXPECT_EQ(host->Tag(), 2);

    const QImage released = LoadBitmapResource(kReleasedButtonBitmap);
    const QImage pressed = LoadBitmapResource(kPressedButtonBitmap);
    ASSERT_FALSE(released.isNull());
    ASSERT_FALSE(pressed.isNull());
    // A corner pixel, clear of the caption: the look stretched to the button's size.
    const QImage expectedReleased = released.scaled(88, 27);
    EXPECT_EQ(host->Surface().pixelColor(86, 25), expectedReleased.pixelColor(86, 25));

    QTest::mousePress(host, Qt::LeftButton, {}, {40, 10});
    EXPECT_EQ(presses_, std::vector<std::uint32_t>{2});
    EXPECT_TRUE(releases_.empty());
    EXPECT_TRUE(family.IsPressed(0));
    EXPECT_EQ(host->Shown().pixelColor(86, 25), pressed.scaled(88, 27).pixelColor(86, 25));

    QTest::mouseRelease(host, Qt::LeftButton, {}, {40, 10});
    EXPECT_EQ(releases_, std::vector<std::uint32_t>{2});
    EXPECT_FALSE(family.IsPressed(0));
    EXPECT_EQ(host->Shown().pixelColor(86, 25), expectedReleased.pixelColor(86, 25));
}

TEST_F(CButtonFamilyTest, ADraggedOffButtonReleasesAtOnce)
{
    CButtonFamily family(ButtonFamilyKind::B);
    COffScreenPicture* host = FirstButton(family, 0);
    QTest::mousePress(host, Qt::LeftButton, {}, {40, 10});
    testing::MoveHeld(host, {200, 10});
    EXPECT_EQ(releases_, std::vector<std::uint32_t>{0});
    EXPECT_FALSE(family.IsPressed(0));
    QTest::mouseRelease(host, Qt::LeftButton, {}, {200, 10});
    EXPECT_EQ(releases_.size(), 1u);
}

TEST_F(CButtonFamilyTest, AButtonThatOpensAModalWindowComesUpAgain)
{
    CButtonFamily family(ButtonFamilyKind::A);
    COffScreenPicture* host = NewHost();
    family.CreateFirstButton(
        [this](std::uint32_t) {
            QDialog dialog(&window_);
            testing::AnswerNextModal<QDialog>([](QDialog* d) { d->reject(); });
            dialog.exec();
        },
        [this](std::uint32_t tag) { releases_.push_back(tag); }, host, {10, 5, 98, 32}, "  Load Wav",
        kReleasedButtonBitmap, kPressedButtonBitmap, 1);
    QTest::mouseMove(host, {40, 10});
    QTest::mousePress(host, Qt::LeftButton, {}, {40, 10});
    // The modal window took the mouse: that is the leave, and the button is up.
    EXPECT_FALSE(family.IsPressed(0));
    EXPECT_EQ(releases_, std::vector<std::uint32_t>{1});
    QTest::mouseRelease(host, Qt::LeftButton, {}, {40, 10});
    EXPECT_EQ(releases_, std::vector<std::uint32_t>{1});
}

TEST_F(CButtonFamilyTest, DialogFamiliesStartAfreshWhileTheMainFamilyGoesOn)
{
    for (ButtonFamilyKind kind : {ButtonFamilyKind::B, ButtonFamilyKind::C, ButtonFamilyKind::D}) {
        CButtonFamily family(kind);
        FirstButton(family, 0);
        family.AddButton(NewHost(), {110, 5, 198, 32}, "  Delete", kReleasedButtonBitmap, kPressedButtonBitmap, 1);
        FirstButton(family, 0, "  Close");
        EXPECT_EQ(family.Count(), 1);
        EXPECT_EQ(family.Caption(0), "  Close");
    }
    CButtonFamily main(ButtonFamilyKind::A);
    FirstButton(main, 0);
    FirstButton(main, 7);
    EXPECT_EQ(main.Count(), 2);
}

TEST_F(CButtonFamilyTest, RefusesASixtyFifthButton)
{
    CButtonFamily family(ButtonFamilyKind::A);
    FirstButton(family, 0);
    for (int tag = 1; tag < CButtonFamily::kCapacity; ++tag)
        ASSERT_TRUE(family.AddButton(NewHost(), {0, 0, 88, 27}, "b", kReleasedButtonBitmap, kPressedButtonBitmap, tag));
    COffScreenPicture* extra = NewHost();
    EXPECT_FALSE(family.AddButton(extra, {0, 0, 88, 27}, "extra", kReleasedButtonBitmap, kPressedButtonBitmap, 64));
    EXPECT_EQ(family.Count(), 64);
    EXPECT_EQ(extra->Tag(), -1);
    EXPECT_TRUE(extra->Surface().isNull());
}

TEST_F(CButtonFamilyTest, ChangesTheCaptionOfTheTaggedButtonOnly)
{
    CButtonFamily family(ButtonFamilyKind::A);
    COffScreenPicture* play = FirstButton(family, 2, "  Play");
    const QImage before = play->Surface().copy();
    family.SetCaption(99, "  Stop");
    EXPECT_EQ(family.Caption(0), "  Play");
    EXPECT_EQ(play->Surface(), before);

    family.SetCaption(2, "  Stop");
    EXPECT_EQ(family.Caption(0), "  Stop");
    EXPECT_NE(play->Surface(), before);
    EXPECT_EQ(play->Shown(), before) << "a new caption reaches the screen with ShowAll";
    family.ShowAll();
    EXPECT_EQ(play->Shown(), play->Surface());
}

TEST_F(CButtonFamilyTest, CaptionColoursFollowThePressedState)
{
    struct Case {
        ButtonFamilyKind kind;
        std::uint32_t pressedColour;
    };
    for (const Case& c : {Case{ButtonFamilyKind::A, kCaptionPressed}, Case{ButtonFamilyKind::D, kCaptionPressedFamilyD}}) {
        CButtonFamily family(c.kind);
        COffScreenPicture* host = FirstButton(family, 0, "  IIIII");
        EXPECT_GT(CountColour(host->Surface(), ColourFromBgr(kCaptionReleased)), 0);
        QTest::mousePress(host, Qt::LeftButton, {}, {40, 10});
        EXPECT_GT(CountColour(host->Surface(), ColourFromBgr(c.pressedColour)), 0);
        EXPECT_EQ(CountColour(host->Surface(), ColourFromBgr(kCaptionReleased)), 0);
        QTest::mouseRelease(host, Qt::LeftButton, {}, {40, 10});
    }
}

TEST_F(CButtonFamilyTest, DestroyAllReleasesTheButtons)
{
    CButtonFamily family(ButtonFamilyKind::B);
    COffScreenPicture* host = FirstButton(family, 0, "  Close");
    family.DestroyAll();
    EXPECT_TRUE(host->Surface().isNull());
    EXPECT_EQ(family.Caption(0), "");
    QTest::mousePress(host, Qt::LeftButton, {}, {40, 10});
    EXPECT_TRUE(presses_.empty());

    CButtonFamily settings(ButtonFamilyKind::D);
    FirstButton(settings, 0, "  OK");
    settings.DestroyAll();
    EXPECT_EQ(settings.Caption(0), "  OK");
}

}  // namespace
}  // namespace harkwell
