#include "shell/input_lock.h"

#include <QApplication>

namespace shell {
namespace {

// True when the focus is in `window` or nowhere: the focus is given back, never taken from
// another window.
bool FocusIsIn(const QWidget* window) {
  const QWidget* focus = QApplication::focusWidget();
  return !focus || focus->window() == window;
}

}  // namespace

InputLock::InputLock(std::initializer_list<QWidget*> controls)
    : focus_(QApplication::focusWidget()) {
  for (QWidget* control : controls) {
    controls_.push_back({control, control->isEnabled()});
    control->setEnabled(false);
  }
}

InputLock::~InputLock() {
  for (const Control& control : controls_) {
    if (control.widget) control.widget->setEnabled(control.wasEnabled);
  }
  if (focus_ && focus_->isEnabled() && FocusIsIn(focus_->window())) focus_->setFocus();
}

}  // namespace shell
