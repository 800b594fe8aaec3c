#pragma once

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <QWidget>

namespace harkwell::testing {

// A move while the left button is held; QTest's moves carry no buttons.
inline void MoveHeld(QWidget* widget, QPoint to)
{
    QMouseEvent move(QEvent::MouseMove, QPointF(to), widget->mapToGlobal(QPointF(to)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

// A press and release on a button.
inline void Click(QWidget* widget)
{
    QTest::mousePress(widget, Qt::LeftButton, {}, {40, 10});
    QTest::mouseRelease(widget, Qt::LeftButton, {}, {40, 10});
}

// A drag across a picture at half its height.
inline void Drag(QWidget* widget, int fromX, int toX)
{
    const int y = widget->height() / 2;
    QTest::mousePress(widget, Qt::LeftButton, {}, {fromX, y});
    MoveHeld(widget, {toX, y});
    QTest::mouseRelease(widget, Qt::LeftButton, {}, {toX, y});
}

}  // namespace harkwell::testing
