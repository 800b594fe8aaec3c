#include "app/ui/CTuneScrollBars.h"

#include "widgets/DialogUnits.h"

#include <QLabel>
#include <QScrollBar>

#include <algorithm>
#include <optional>

namespace harkwell {

namespace {

constexpr int kThumbReleased = -1;

std::optional<ScrollAction> ScrollActionOf(int sliderAction)
{
    switch (sliderAction) {
    case kThumbReleased: return ScrollAction::ThumbReleased;
    case QAbstractSlider::SliderSingleStepSub: return ScrollAction::LineLeft;
    case QAbstractSlider::SliderSingleStepAdd: return ScrollAction::LineRight;
    case QAbstractSlider::SliderPageStepSub: return ScrollAction::PageLeft;
    case QAbstractSlider::SliderPageStepAdd: return ScrollAction::PageRight;
    case QAbstractSlider::SliderToMinimum: return ScrollAction::FarLeft;
    case QAbstractSlider::SliderToMaximum: return ScrollAction::FarRight;
    case QAbstractSlider::SliderMove: return ScrollAction::ThumbTracking;
    default: return std::nullopt;
    }
}

int ClampToInt(std::int64_t value) { return static_cast<int>(std::clamp<std::int64_t>(value, 0, INT32_MAX)); }

}  // namespace

CTuneScrollBars::CTuneScrollBars(QWidget* window, Targets targets) : QObject(window), targets_(std::move(targets))
{
    auto* zoomLabel = new QLabel(QStringLiteral("Zoom"), window);
    zoomLabel->setGeometry(Units(7), Units(27), Units(60), Units(10));
    zoomBar_ = new QScrollBar(Qt::Horizontal, window);
    zoomBar_->setGeometry(Units(71), Units(27), Units(100), Units(10));
    zoomBar_->setRange(1, 40);
    zoomBar_->setValue(1);
    auto* locationLabel = new QLabel(QStringLiteral("Location"), window);
    locationLabel->setGeometry(Units(177), Units(27), Units(60), Units(10));
    positionBar_ = new QScrollBar(Qt::Horizontal, window);
    positionBar_->setGeometry(Units(241), Units(27), Units(267), Units(10));
    positionBar_->setRange(0, 0);
    // A value changes when the thumb is let go, not while it is dragged.
    for (QScrollBar* bar : {zoomBar_, positionBar_}) bar->setTracking(false);
    connect(zoomBar_, &QScrollBar::actionTriggered, this, &CTuneScrollBars::OnZoomBar);
    connect(zoomBar_, &QScrollBar::sliderReleased, this, [this] { OnZoomBar(kThumbReleased); });
    connect(positionBar_, &QScrollBar::actionTriggered, this, &CTuneScrollBars::OnPositionBar);
    connect(positionBar_, &QScrollBar::sliderReleased, this, [this] { OnPositionBar(kThumbReleased); });
}

void CTuneScrollBars::SetTune(bool loaded, std::uint32_t frames)
{
    loaded_ = loaded;
    frames_ = frames;
    view_.SetTune(loaded, frames);
    ApplyPositionBar();
}

void CTuneScrollBars::OnZoomBar(int action)
{
    const auto scroll = ScrollActionOf(action);
    if (!scroll || !view_.ScrollZoom({*scroll, zoomBar_->sliderPosition()})) return;
    zoomBar_->setSliderPosition(view_.ZoomBarPosition());
    targets_.zoom(view_.Zoom());
    ApplyPositionBar();
}

void CTuneScrollBars::OnPositionBar(int action)
{
    const auto scroll = ScrollActionOf(action);
    if (!scroll || !view_.ScrollPosition({*scroll, positionBar_->sliderPosition()})) return;
    positionBar_->setSliderPosition(ClampToInt(view_.ViewStart()));
    targets_.viewStart(view_.ViewStart());
}

void CTuneScrollBars::ApplyPositionBar()
{
    if (!loaded_) return;
    view_.ScrollPosition({ScrollAction::ThumbReleased, ClampToInt(view_.ViewStart())});
    targets_.viewStart(view_.ViewStart());
    positionBar_->setRange(0, ClampToInt(view_.PositionRange()));
    positionBar_->setPageStep(std::max(1, ClampToInt(frames_ / static_cast<std::uint32_t>(view_.Zoom()))));
    positionBar_->setValue(ClampToInt(view_.ViewStart()));
}

}  // namespace harkwell
