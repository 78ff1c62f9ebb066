#include "controls/push_button.h"

#include <QMouseEvent>

PushButton::PushButton(QWidget* parent) : QPushButton(parent) {
  QFont caption(QStringLiteral("Arial"));
  caption.setPointSizeF(11.25);
  caption.setBold(true);
  setFont(caption);
  setMouseTracking(true);
}

void PushButton::mouseMoveEvent(QMouseEvent* event) {
  emit MouseMove();
  QPushButton::mouseMoveEvent(event);
  // The move belongs to the button: the page behind it does not see it.
  event->accept();
}
