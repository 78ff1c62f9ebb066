#pragma once

// While a run works, the button that started it reads as the way to stop it ("Stop Joining");
// afterwards it reads as before and can be pressed again.

#include <QAbstractButton>
#include <QPointer>

namespace shell {

class StopButton {
 public:
  StopButton(QAbstractButton& button, const QString& stopCaption)
      : button_(&button), caption_(button.text()) {
    button.setText(stopCaption);
  }
  ~StopButton() {
    if (!button_) return;
    button_->setText(caption_);
    button_->setEnabled(true);
  }
  StopButton(const StopButton&) = delete;
  StopButton& operator=(const StopButton&) = delete;

 private:
  QPointer<QAbstractButton> button_;
  QString caption_;
};

}  // namespace shell
