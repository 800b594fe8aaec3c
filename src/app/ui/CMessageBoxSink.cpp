#include "app/ui/CMessageBoxSink.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>

#include <string>

namespace harkwell {

int CMessageBoxSink::Show(std::string_view text, MessageKind kind)
{
    std::string copy(text);
    if (QThread::currentThread() == qApp->thread()) return ShowHere(copy, kind);
    int result = kMessageOk;
    QMetaObject::invokeMethod(
        qApp, [&] { result = ShowHere(copy, kind); }, Qt::BlockingQueuedConnection);
    return result;
}

int CMessageBoxSink::ShowHere(const std::string& text, MessageKind kind)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Harkwell"), QString::fromStdString(text),
                    QMessageBox::Ok, parent_);
    box.setWindowModality(Qt::ApplicationModal);
    // A system-modal box stays above every window until it is answered.
    if (kind == MessageKind::SystemModal) box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.exec();
    return kMessageOk;
}

}  // namespace harkwell
