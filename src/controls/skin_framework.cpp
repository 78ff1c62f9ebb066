#include "controls/skin_framework.h"

#include <QFile>

#include "platform/error.h"

void SkinFramework::LoadSkin(const QString& path, const QString&) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
    throw platform::Error(QStringLiteral("Cannot load the skin ") + path + QStringLiteral(": ") +
                          file.errorString());
  }
  styleSheet_ = QString::fromUtf8(file.readAll());
}

void SkinFramework::ApplyWindow(WId window) {
  QWidget* target = QWidget::find(window);
  if (!target) throw platform::Error(QStringLiteral("Invalid window handle"));
  target->setStyleSheet(styleSheet_);
}
