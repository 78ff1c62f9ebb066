#include "platform/desktop/desktop.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace desktop {
namespace {

class DesktopBackend : public Backend {
 public:
  // The desktop decides the window of the program it starts; the style is a wish it may ignore.
  void Start(const QString& target, int) override {
    QUrl url = QUrl::fromUserInput(target);
    if (QFileInfo(target).isAbsolute()) url = QUrl::fromLocalFile(target);
    QDesktopServices::openUrl(url);
  }
};

Backend*& Current() {
  static Backend* current = nullptr;
  return current;
}

}  // namespace

void Start(const QString& target, int windowStyle) {
  static DesktopBackend real;
  (Current() ? *Current() : real).Start(target, windowStyle);
}

void SetBackend(Backend* backend) {
  Current() = backend;
}

}  // namespace desktop
