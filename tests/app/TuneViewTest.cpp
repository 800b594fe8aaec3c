#include "app/Guidance.h"
#include "app/TuneView.h"

#include <gtest/gtest.h>

namespace harkwell {
namespace {

using A = ScrollAction;

TEST(TuneView, ZoomBarStopsAtThirtyNineAndNeverGoesBelowOne)
{
    TuneView view;
    view.SetTune(true, 1'000'000);
    const std::tuple<ScrollRequest, int, int> steps[] = {
        {{A::FarRight}, 39, 39},  {{A::ThumbReleased, 40}, 39, 39}, {{A::LineRight}, 39, 39},
        {{A::PageLeft}, 37, 37},  {{A::LineLeft}, 36, 36},          {{A::ThumbReleased, 0}, 0, 1},
        {{A::FarLeft}, 0, 1},     {{A::LineRight}, 1, 1},           {{A::PageRight}, 3, 3},
    };
    for (const auto& [request, bar, zoom] : steps) {
        EXPECT_TRUE(view.ScrollZoom(request));
        EXPECT_EQ(view.ZoomBarPosition(), bar);
        EXPECT_EQ(view.Zoom(), zoom);
    }
    EXPECT_FALSE(view.ScrollZoom({A::ThumbTracking, 20}));
    EXPECT_EQ(view.Zoom(), 3);
}

TEST(TuneView, PositionBarMovesWithinTheRange)
{
    TuneView view;
    view.SetTune(true, 100);
    EXPECT_EQ(view.PositionRange(), 0u) << "zoom 1 shows the whole tune";
    view.ScrollZoom({A::ThumbReleased, 3});
    EXPECT_EQ(view.PositionRange(), 67u);
    EXPECT_EQ(view.PositionStep(), 1u);

    const std::pair<ScrollRequest, std::uint32_t> steps[] = {
        {{A::LineRight}, 1}, {{A::PageRight}, 3}, {{A::LineLeft}, 2}, {{A::FarRight}, 67}, {{A::LineRight}, 67},
        {{A::ThumbReleased, 500}, 67}, {{A::PageLeft}, 65}, {{A::ThumbReleased, -4}, 0}, {{A::LineLeft}, 0}};
    for (const auto& [request, start] : steps) {
        view.ScrollPosition(request);
        EXPECT_EQ(view.ViewStart(), start);
    }
    view.ScrollPosition({A::FarRight});
    view.ScrollZoom({A::ThumbReleased, 1});
    EXPECT_EQ(view.ViewStart(), 0u) << "zooming out pulls the view back into range";
}

TEST(TuneView, PositionStepIsAHundredthOfTheRange)
{
    TuneView view;
    view.SetTune(true, 1'000'000);
    view.ScrollZoom({A::ThumbReleased, 10});
    EXPECT_EQ(view.PositionRange(), 900'000u);
    view.ScrollPosition({A::LineRight});
    EXPECT_EQ(view.ViewStart(), 9000u);
    view.ScrollPosition({A::PageRight});
    EXPECT_EQ(view.ViewStart(), 27000u);
}

TEST(TuneView, WithoutATuneThePositionStays)
{
    TuneView view;
    EXPECT_FALSE(view.ScrollPosition({A::FarRight}));
    EXPECT_EQ(view.ViewStart(), 0u);
    EXPECT_TRUE(view.ScrollZoom({A::LineRight}));
}

TEST(Guidance, FollowsTheStateOfTheWork)
{
    EXPECT_EQ(GuidanceText(false, false, false), "Load a tune for copying down.\n\rLoad WAV file or CD Track.");
    EXPECT_EQ(GuidanceText(true, false, false),
              "Mark area for copying down.\n\rDevide several bars and work with one at one time.");
    EXPECT_EQ(GuidanceText(true, true, false), "Click Play button to play area.\n\rStart copying down after mark is set.");
    EXPECT_EQ(GuidanceText(true, true, true), "\n\rStart copying down after mark is set.\n\rPlaying a tune now.");
    EXPECT_EQ(GuidanceText(false, false, true),
              "Load a tune for copying down.\n\rLoad WAV file or CD Track.\n\rPlaying a tune now.");
    EXPECT_EQ(MainMessageText(MainMessage::TooNarrow), "Area is too narrow.");
    EXPECT_EQ(MainMessageText(MainMessage::DialogOpen), "Other input dialog is open now.");
    EXPECT_EQ(MainMessageText(static_cast<MainMessage>(5)), "");
}

}  // namespace
}  // namespace harkwell
