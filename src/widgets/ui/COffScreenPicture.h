#pragma once

#include "widgets/PictureRect.h"

#include <QImage>
#include <QWidget>

#include <cstdint>
#include <functional>

namespace harkwell {

// (x, y, tag): client pixels and the owner's number for the picture.
using PictureCallback = std::function<void(int x, int y, int tag)>;

struct PictureCallbacks {
    PictureCallback onLButtonDown;
    PictureCallback onLButtonUp;
    PictureCallback onMouseMove;
    PictureCallback onLButtonDblClk;
};

// A custom-drawn control: the owner draws into an off-screen surface of the
// control's size and copies it to the screen when it chooses; the control
// reports left-button and mouse-move input with its tag.
//
// Every press gets exactly one release: when the pointer leaves the control
// while the button is down, a control with a press callback reports the
// release at (-1, -1) at once and swallows the real one.
class COffScreenPicture : public QWidget {
    Q_OBJECT

public:
    explicit COffScreenPicture(QWidget* parent = nullptr);

    void SetTag(int tag) { tag_ = tag; }
    int Tag() const { return tag_; }
    bool IsPressed() const { return pressed_; }

    void SetCallbacks(PictureCallbacks callbacks) { callbacks_ = std::move(callbacks); }

    // Places the control at `rect` in its parent, on top of its siblings, with
    // a new surface of exactly its size, and sets its callbacks.
    void CreateOffScreen(const PictureRect& rect, PictureCallbacks callbacks);
    // Gives up the surface; drawing needs a new CreateOffScreen.
    void ReleaseOffScreen();

    // What the owner draws into; nothing reaches the screen until ShowOffScreen.
    QImage& Surface() { return surface_; }
    const QImage& Surface() const { return surface_; }
    // What the screen shows: the surface as it was at the last ShowOffScreen.
    const QImage& Shown() const { return shown_; }
    void ShowOffScreen();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void ReportLeave();
    void Call(const PictureCallback& callback, int x, int y) const;

    int tag_ = -1;
    bool pressed_ = false;
    bool leftWhilePressed_ = false;
    PictureCallbacks callbacks_;
    QImage surface_;
    QImage shown_;
};

// A colour of the system, 0x00BBGGRR, as Qt's colour.
QColor ColourFromBgr(std::uint32_t bgr);

}  // namespace harkwell
