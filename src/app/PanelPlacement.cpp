#include "app/PanelPlacement.h"

#include <vector>

namespace harkwell {

bool DesktopRect::Contains(const DesktopRect& other) const
{
    return other.left >= left && other.top >= top && other.Right() <= Right() && other.Bottom() <= Bottom();
}

bool DesktopRect::Overlaps(const DesktopRect& other) const
{
    return left < other.Right() && other.left < Right() && top < other.Bottom() && other.top < Bottom();
}

std::optional<DesktopPoint> PanelPlace(const DesktopRect& main, int width, int height, const DesktopRect& screen,
                                       std::span<const DesktopRect> taken, int gap)
{
    // Around one window: below, right, left, above, aligned with its left or top edge.
    const auto around = [&](const DesktopRect& window) {
        return std::vector<DesktopPoint>{{window.left, window.Bottom() + gap},
                                         {window.Right() + gap, window.top},
                                         {window.left - gap - width, window.top},
                                         {window.left, window.top - gap - height}};
    };
    std::vector<DesktopPoint> candidates = around(main);
    for (const DesktopRect& window : taken)
        for (const DesktopPoint& point : around(window)) candidates.push_back(point);

    for (DesktopPoint point : candidates) {
        // A panel wider than the room left of its anchor slides left, still below or above it.
        if (point.x + width > screen.Right()) point.x = screen.Right() - width;
        if (point.x < screen.left) point.x = screen.left;
        const DesktopRect place{point.x, point.y, width, height};
        if (!screen.Contains(place) || place.Overlaps(main)) continue;
        bool free = true;
        for (const DesktopRect& window : taken) free = free && !place.Overlaps(window);
        if (free) return point;
    }
    return std::nullopt;
}

}  // namespace harkwell
