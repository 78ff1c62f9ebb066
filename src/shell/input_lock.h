#pragma once

// Keeps a page's input controls disabled for as long as it lives; then each control is enabled
// as it was before, and the focus goes back to the control that had it.

#include <QPointer>
#include <QWidget>
#include <initializer_list>
#include <vector>

namespace shell {

class InputLock {
 public:
  explicit InputLock(std::initializer_list<QWidget*> controls);
  ~InputLock();
  InputLock(const InputLock&) = delete;
  InputLock& operator=(const InputLock&) = delete;

 private:
  struct Control {
    QPointer<QWidget> widget;
    bool wasEnabled;
  };
  std::vector<Control> controls_;
  QPointer<QWidget> focus_;
};

}  // namespace shell
