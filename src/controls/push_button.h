#pragma once

#include <QPushButton>

// The push button of every page: a caption in Arial bold 11.25 pt, a click, and a notice
// whenever the mouse pointer moves over it.
class PushButton : public QPushButton {
  Q_OBJECT
 public:
  explicit PushButton(QWidget* parent = nullptr);

 signals:
  void MouseMove();

 protected:
  void mouseMoveEvent(QMouseEvent* event) override;
};
