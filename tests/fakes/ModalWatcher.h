#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace harkwell::testing {

// Runs `answer` on the first modal window that opens, from inside its own
// event loop, so a test can look at a dialog and close it.
template <typename Dialog>
void AnswerNextModal(std::function<void(Dialog*)> answer)
{
    auto* timer = new QTimer(qApp);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, answer] {
        if (auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            answer(dialog);
        }
    });
    timer->start();
}

}  // namespace harkwell::testing
