#include "platform/desktop/dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

#include "platform/desktop/app.h"

namespace dialogs {
namespace {

QMessageBox::Icon IconOf(int flags) {
  switch (flags & 0x70) {
    case 16:
      return QMessageBox::Critical;
    case 32:
      return QMessageBox::Question;
    case 48:
      return QMessageBox::Warning;
    case 64:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

// A box waits for the user, so it shows the ordinary pointer even while a page is busy.
class ArrowWhileAsking {
 public:
  ArrowWhileAsking() { QApplication::setOverrideCursor(Qt::ArrowCursor); }
  ~ArrowWhileAsking() { QApplication::restoreOverrideCursor(); }
};

// Escape and the close box answer Cancel.
int YesNoCancel(QMessageBox& box, int flags) {
  auto* yes = box.addButton(QMessageBox::Yes);
  auto* no = box.addButton(QMessageBox::No);
  auto* cancel = box.addButton(QMessageBox::Cancel);
  box.setDefaultButton((flags & vbDefaultButton2) ? no : yes);
  box.setEscapeButton(cancel);
  box.exec();
  if (box.clickedButton() == yes) return vbYes;
  return box.clickedButton() == no ? vbNo : vbCancel;
}

class QtBackend : public Backend {
 public:
  int MsgBox(const QString& text, int flags, const QString& title) override {
    const ArrowWhileAsking arrow;
    QMessageBox box(IconOf(flags), title, text, QMessageBox::NoButton,
                    QApplication::activeWindow());
    if ((flags & 7) == vbYesNo) {
      auto* yes = box.addButton(QMessageBox::Yes);
      auto* no = box.addButton(QMessageBox::No);
      box.setDefaultButton((flags & vbDefaultButton2) ? no : yes);
      box.exec();
      return box.clickedButton() == yes ? vbYes : vbNo;
    }
    if ((flags & 7) == vbYesNoCancel) return YesNoCancel(box, flags);
    box.addButton(QMessageBox::Ok);
    box.exec();
    return vbOK;
  }

  QString InputBox(const QString& prompt, const QString& title,
                   const QString& defaultText) override {
    const ArrowWhileAsking arrow;
    bool ok = false;
    QString text = QInputDialog::getText(QApplication::activeWindow(), title, prompt,
                                         QLineEdit::Normal, defaultText, &ok);
    return ok ? text : QString();
  }

  QString OpenFileName(const QString& caption, const QString& filter) override {
    const ArrowWhileAsking arrow;
    return QFileDialog::getOpenFileName(QApplication::activeWindow(), caption, QString(), filter);
  }
};

Backend*& Current() {
  static Backend* current = nullptr;
  return current;
}

Backend& Active() {
  static QtBackend qt;
  return Current() ? *Current() : qt;
}

QString Resolve(const QString& title) {
  return title.isEmpty() ? app::Title() : title;
}

}  // namespace

int MsgBox(const QString& text, int flags, const QString& title) {
  return Active().MsgBox(text, flags, Resolve(title));
}

QString InputBox(const QString& prompt, const QString& title, const QString& defaultText) {
  return Active().InputBox(prompt, Resolve(title), defaultText);
}

QString OpenFileName(const QString& caption, const QString& filter) {
  return Active().OpenFileName(caption, filter);
}

void SetBackend(Backend* backend) {
  Current() = backend;
}

}  // namespace dialogs
