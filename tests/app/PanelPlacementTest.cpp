#include "app/PanelPlacement.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace harkwell {
namespace {

TEST(PanelPlace, OpensClearOfTheMainWindowWhereTheScreenHasRoom)
{
    const DesktopRect screen{0, 0, 1920, 1080};
    const DesktopRect main{100, 50, 910, 330};
    const struct {
        const char* name;
        DesktopRect main;
        int width, height;
        std::vector<DesktopRect> taken;
        std::optional<DesktopPoint> place;
    } cases[] = {
        {"below", main, 910, 270, {}, DesktopPoint{100, 388}},
        {"beside when below is too low", {100, 100, 910, 330}, 530, 700, {}, DesktopPoint{1018, 100}},
        {"above when neither below nor beside has room", {100, 700, 910, 330}, 530, 570, {}, DesktopPoint{100, 122}},
        {"left when right is full", {1000, 500, 910, 330}, 530, 570, {}, DesktopPoint{462, 500}},
        {"below the other panel", main, 530, 570, {{100, 388, 910, 270}}, DesktopPoint{1018, 50}},
        {"no room", {0, 0, 1920, 1080}, 300, 200, {}, std::nullopt},
        {"slides left to stay on the screen", {1200, 50, 700, 300}, 910, 270, {}, DesktopPoint{1010, 358}},
    };
    for (const auto& c : cases) {
        const auto place = PanelPlace(c.main, c.width, c.height, screen, c.taken);
        EXPECT_EQ(place, c.place) << c.name;
        if (!place) continue;
        const DesktopRect panel{place->x, place->y, c.width, c.height};
        EXPECT_TRUE(screen.Contains(panel)) << c.name;
        EXPECT_FALSE(panel.Overlaps(c.main)) << c.name;
        for (const DesktopRect& other : c.taken) EXPECT_FALSE(panel.Overlaps(other)) << c.name;
    }
}

}  // namespace
}  // namespace harkwell
