#pragma once

#include <cstdint>

namespace harkwell {

// What a scroll bar reports: a step, a page, a jump to an end, or where the
// thumb was let go. Moves of the thumb while it is dragged change nothing.
enum class ScrollAction { LineLeft, LineRight, PageLeft, PageRight, FarLeft, FarRight, ThumbReleased, ThumbTracking };

struct ScrollRequest {
    ScrollAction action;
    int thumb = 0;  // the thumb's position, for ThumbReleased
};

// The zoom and the first visible frame of the tune's picture, as the zoom bar
// and the position bar set them. Zoom z shows frames / z frames.
class TuneView {
public:
    static constexpr int kMaxZoom = 39;

    // A new tune, or none (0 frames): the view goes back to its start.
    void SetTune(bool loaded, std::uint32_t frames);

    // Returns false when the request changes nothing (thumb tracking).
    bool ScrollZoom(const ScrollRequest& request);
    // Returns false when no tune is loaded or nothing changes.
    bool ScrollPosition(const ScrollRequest& request);

    int ZoomBarPosition() const { return zoomBar_; }
    int Zoom() const { return zoom_; }
    std::uint32_t ViewStart() const { return viewStart_; }
    // The last possible view start: frames - frames / zoom.
    std::uint32_t PositionRange() const;
    // Frames moved by one step of the position bar.
    std::uint32_t PositionStep() const;

private:
    void ClampViewStart();

    bool loaded_ = false;
    std::uint32_t frames_ = 0;
    int zoomBar_ = 1;
    int zoom_ = 1;
    std::uint32_t viewStart_ = 0;
};

}  // namespace harkwell
