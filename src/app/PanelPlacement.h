#pragma once

#include <optional>
#include <span>

namespace harkwell {

// A rectangle of the desktop in pixels: left and top, width and height.
struct DesktopRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    int Right() const { return left + width; }
    int Bottom() const { return top + height; }
    bool Contains(const DesktopRect& other) const;
    bool Overlaps(const DesktopRect& other) const;
};

struct DesktopPoint {
    int x = 0;
    int y = 0;

    friend bool operator==(const DesktopPoint&, const DesktopPoint&) = default;
};

// Where a panel of `width` × `height` opens so that it covers neither the
// main window nor the windows in `taken`: below the main window, beside it
// (right, then left), above it, then below or beside a taken window, each
// inside the screen's free area and `gap` pixels apart. None when the screen
// has no such room; the panel then opens where the desktop puts it.
std::optional<DesktopPoint> PanelPlace(const DesktopRect& main, int width, int height, const DesktopRect& screen,
                                       std::span<const DesktopRect> taken, int gap = 8);

}  // namespace harkwell
