#include "shell/select_all_on_focus.h"

#include <QEvent>

namespace shell {
namespace {

class SelectAllFilter : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::FocusIn) {
      auto* textBox = static_cast<QLineEdit*>(watched);
      textBox->setSelection(0, static_cast<int>(textBox->text().size()));
    }
    return false;
  }
};

}  // namespace

void SelectAllOnFocus(QLineEdit& textBox) {
  textBox.installEventFilter(new SelectAllFilter(&textBox));
}

}  // namespace shell
