#include "platform/desktop/settings_side.h"

#include <QFile>

#include "platform/error.h"

namespace settings_side {

std::unique_ptr<QSettings> NativeStore(const QString& appName) {
  return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, appName);
}

// Every version kept the settings in this file.
std::optional<QString> MoveEarlierSection(const QString&, const QString&) {
  return std::nullopt;
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
