#include "platform/settings.h"

#include <QFile>
#include <QSettings>

#include "platform/error.h"

namespace settings {
namespace {

constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

QSettings Store(const QString& appName) {
  return QSettings(QSettings::IniFormat, QSettings::UserScope, appName);
}

void KeepPrivate(const QString& path) {
  QFile file(path);
  if (!file.exists()) return;
  if (file.permissions() != kOwnerOnly && !file.setPermissions(kOwnerOnly)) {
    throw platform::Error(QStringLiteral("Cannot make the settings file private: ") + path);
  }
}

// Writes the store to its file at once and keeps the file private.
void Keep(QSettings& store) {
  store.sync();
  if (store.status() != QSettings::NoError) {
    throw platform::Error(QStringLiteral("Cannot write the settings file: ") + store.fileName());
  }
  KeepPrivate(store.fileName());
}

}  // namespace

QString GetSetting(const QString& appName, const QString& section, const QString& key,
                   const QString& defaultValue) {
  QSettings store = Store(appName);
  store.beginGroup(section);
  return store.value(key, defaultValue).toString();
}

void SaveSetting(const QString& appName, const QString& section, const QString& key,
                 const QString& value) {
  QSettings store = Store(appName);
  store.beginGroup(section);
  store.setValue(key, value);
  store.endGroup();
  Keep(store);
}

bool HasSetting(const QString& appName, const QString& section, const QString& key) {
  QSettings store = Store(appName);
  store.beginGroup(section);
  return store.contains(key);
}

void RemoveSetting(const QString& appName, const QString& section, const QString& key) {
  QSettings store = Store(appName);
  store.beginGroup(section);
  store.remove(key);
  store.endGroup();
  Keep(store);
}

QString FilePath(const QString& appName) {
  return Store(appName).fileName();
}

}  // namespace settings
