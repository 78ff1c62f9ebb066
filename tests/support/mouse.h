#pragma once

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

// Sends the move of a mouse pointer, no button pressed, over a widget.
inline void MoveMouseOver(QWidget* widget) {
  QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), widget->mapToGlobal(QPointF(2, 2)),
                   Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(widget, &move);
}
