#pragma once

#include "app/TuneView.h"

#include <QObject>

#include <cstdint>
#include <functional>

class QScrollBar;
class QWidget;

namespace harkwell {

// The main window's zoom and location bars with their labels, over the
// plain view arithmetic: they tell the tune's picture its zoom and its
// first visible frame.
class CTuneScrollBars : public QObject {
    Q_OBJECT

public:
    struct Targets {
        std::function<void(int zoom)> zoom;
        std::function<void(std::uint32_t viewStart)> viewStart;
    };

    // Places the bars on the window, in its dialog units.
    CTuneScrollBars(QWidget* window, Targets targets);

    // A new tune, or none: the view goes back to its start.
    void SetTune(bool loaded, std::uint32_t frames);

    const TuneView& View() const { return view_; }
    QScrollBar* ZoomBar() { return zoomBar_; }
    QScrollBar* PositionBar() { return positionBar_; }

private:
    // -1 is the thumb let go; other values are the bars' slider actions.
    void OnZoomBar(int action);
    void OnPositionBar(int action);
    void ApplyPositionBar();

    Targets targets_;
    TuneView view_;
    bool loaded_ = false;
    std::uint32_t frames_ = 0;
    QScrollBar* zoomBar_;
    QScrollBar* positionBar_;
};

}  // namespace harkwell
