#include "app/ui/CMessageBoxSink.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QThread>

#include <deque>
#include <mutex>
#include <utility>

namespace harkwell {

namespace {

int ShowHere(QWidget* parent, const std::string& text, MessageKind kind)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Harkwell"), QString::fromStdString(text),
                    QMessageBox::Ok, parent);
    box.setWindowModality(Qt::ApplicationModal);
    // A system-modal box stays above every window until it is answered.
    if (kind == MessageKind::SystemModal) box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.exec();
    return kMessageOk;
}

}  // namespace

struct CMessageBoxSink::Queue {
    explicit Queue(QWidget* owner) : parent(owner) {}

    // Shows the waiting messages in order. A box's own event loop may run a
    // later posted call: that one leaves the rest to the loop already showing.
    void ShowWaiting()
    {
        if (showing) return;
        showing = true;
        for (;;) {
            std::pair<std::string, MessageKind> next;
            {
                std::lock_guard lock(mutex);
                if (waiting.empty()) break;
                next = std::move(waiting.front());
                waiting.pop_front();
            }
            ShowHere(parent, next.first, next.second);
        }
        showing = false;
    }

    QPointer<QWidget> parent;  // interface thread only
    bool showing = false;      // interface thread only
    std::mutex mutex;
    std::deque<std::pair<std::string, MessageKind>> waiting;
};

CMessageBoxSink::CMessageBoxSink(QWidget* parent) : queue_(std::make_shared<Queue>(parent)) {}

CMessageBoxSink::~CMessageBoxSink() = default;

int CMessageBoxSink::Show(std::string_view text, MessageKind kind)
{
    if (QThread::currentThread() == qApp->thread()) return ShowHere(queue_->parent, std::string(text), kind);
    {
        std::lock_guard lock(queue_->mutex);
        queue_->waiting.emplace_back(std::string(text), kind);
    }
    QMetaObject::invokeMethod(
        qApp, [queue = queue_] { queue->ShowWaiting(); }, Qt::QueuedConnection);
    return kMessageOk;
}

}  // namespace harkwell
