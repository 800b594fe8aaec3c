#include "widgets/ui/COffScreenPicture.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

namespace harkwell {

namespace {

QPoint PositionOf(const QMouseEvent* event) { return event->position().toPoint(); }

// Notes whether a modal window blocked the others while it was installed.
class ModalWatch final : public QObject {
public:
    ModalWatch() { qApp->installEventFilter(this); }
    ~ModalWatch() override { qApp->removeEventFilter(this); }
    bool SawModal() const { return sawModal_; }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::WindowBlocked) sawModal_ = true;
        return false;
    }

private:
    bool sawModal_ = false;
};

}  // namespace

COffScreenPicture::COffScreenPicture(QWidget* parent) : QWidget(parent)
{
    // Moves reach the owner without a button down too.
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void COffScreenPicture::CreateOffScreen(const PictureRect& rect, PictureCallbacks callbacks)
{
    setGeometry(rect.left, rect.top, rect.Width(), rect.Height());
    raise();
    surface_ = QImage(std::max(rect.Width(), 0), std::max(rect.Height(), 0), QImage::Format_RGB32);
    surface_.fill(Qt::black);
    shown_ = surface_;
    SetCallbacks(std::move(callbacks));
}

void COffScreenPicture::ReleaseOffScreen()
{
    surface_ = QImage();
    shown_ = QImage();
}

void COffScreenPicture::ShowOffScreen()
{
    if (surface_.isNull()) return;
    shown_ = surface_;
    update();
}

void COffScreenPicture::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    if (shown_.isNull())
        painter.fillRect(event->rect(), palette().window());
    else
        painter.drawImage(event->rect(), shown_, event->rect());
}

void COffScreenPicture::Call(const PictureCallback& callback, int x, int y) const
{
    if (callback) callback(x, y, tag_);
}

void COffScreenPicture::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    pressed_ = true;
    leftWhilePressed_ = false;
    const QPoint at = PositionOf(event);
    const QPointer<COffScreenPicture> self(this);
    const ModalWatch watch;
    Call(callbacks_.onLButtonDown, at.x(), at.y());
    // A window opened by the press took the mouse away: that is the leave.
    if (self && watch.SawModal()) ReportLeave();
}

void COffScreenPicture::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(event);
    pressed_ = false;
    const QPoint at = PositionOf(event);
    // A release outside the control is not the control's, and one after the
    // leave was reported already.
    const bool reported = !leftWhilePressed_ && rect().contains(at);
    leftWhilePressed_ = false;
    if (reported) Call(callbacks_.onLButtonUp, at.x(), at.y());
}

void COffScreenPicture::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint at = PositionOf(event);
    if (!rect().contains(at)) {
        // The mouse is grabbed while the button is down: a move outside is the leave.
        ReportLeave();
        return;
    }
    Call(callbacks_.onMouseMove, at.x(), at.y());
}

void COffScreenPicture::leaveEvent(QEvent* event)
{
    ReportLeave();
    QWidget::leaveEvent(event);
}

void COffScreenPicture::ReportLeave()
{
    if (!pressed_ || !callbacks_.onLButtonDown) return;
    pressed_ = false;
    leftWhilePressed_ = true;
    Call(callbacks_.onLButtonUp, -1, -1);
}

void COffScreenPicture::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) return QWidget::mouseDoubleClickEvent(event);
    // The second press of a double click: it starts no press of its own, and
    // its release is reported when it comes up over the control.
    leftWhilePressed_ = false;
    const QPoint at = PositionOf(event);
    Call(callbacks_.onLButtonDblClk, at.x(), at.y());
}

QColor ColourFromBgr(std::uint32_t bgr)
{
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF), static_cast<int>((bgr >> 16) & 0xFF));
}

}  // namespace harkwell
