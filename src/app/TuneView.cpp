#include "app/TuneView.h"

#include <algorithm>

namespace harkwell {

namespace {

// The position a bar moves to, before clamping; nothing for thumb tracking.
bool NextPosition(const ScrollRequest& request, std::int64_t current, std::int64_t step, std::int64_t last,
                  std::int64_t& next)
{
    switch (request.action) {
    case ScrollAction::LineLeft: next = current - step; return true;
    case ScrollAction::LineRight: next = current + step; return true;
    case ScrollAction::PageLeft: next = current - 2 * step; return true;
    case ScrollAction::PageRight: next = current + 2 * step; return true;
    case ScrollAction::FarLeft: next = 0; return true;
    case ScrollAction::FarRight: next = last; return true;
    case ScrollAction::ThumbReleased: next = request.thumb; return true;
    case ScrollAction::ThumbTracking: return false;
    }
    return false;
}

}  // namespace

void TuneView::SetTune(bool loaded, std::uint32_t frames)
{
    loaded_ = loaded;
    frames_ = loaded ? frames : 0;
    viewStart_ = 0;
    ClampViewStart();
}

std::uint32_t TuneView::PositionRange() const
{
    return frames_ - frames_ / static_cast<std::uint32_t>(zoom_);
}

std::uint32_t TuneView::PositionStep() const
{
    return std::max<std::uint32_t>(PositionRange() / 100, 1);
}

bool TuneView::ScrollZoom(const ScrollRequest& request)
{
    std::int64_t next = 0;
    // Line steps move the zoom by one, pages by two.
    if (!NextPosition(request, zoomBar_, 1, kMaxZoom, next)) return false;
    zoomBar_ = static_cast<int>(std::clamp<std::int64_t>(next, 0, kMaxZoom));
    zoom_ = std::max(zoomBar_, 1);
    ClampViewStart();
    return true;
}

bool TuneView::ScrollPosition(const ScrollRequest& request)
{
    if (!loaded_) return false;
    const std::int64_t range = PositionRange();
    std::int64_t next = 0;
    if (!NextPosition(request, viewStart_, PositionStep(), range, next)) return false;
    viewStart_ = static_cast<std::uint32_t>(std::clamp<std::int64_t>(next, 0, range));
    return true;
}

void TuneView::ClampViewStart()
{
    viewStart_ = std::min(viewStart_, PositionRange());
}

}  // namespace harkwell
