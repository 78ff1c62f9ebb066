#include "platform/desktop/settings_side.h"

#include <QFile>

#include "platform/error.h"

namespace settings_side {

QSettings::Format NativeFormat() {
  return QSettings::IniFormat;
}

void KeepPrivate(const QSettings& store) {
  constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
  QFile file(store.fileName());
  if (!file.exists()) return;
  if (file.permissions() != kOwnerOnly && !file.setPermissions(kOwnerOnly)) {
    throw platform::Error(QStringLiteral("Cannot make the settings file private: ") +
                          store.fileName());
  }
}

}  // namespace settings_side
