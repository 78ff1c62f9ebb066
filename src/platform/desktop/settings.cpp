#include "platform/desktop/settings.h"

#include <QSettings>

#include "platform/desktop/settings_side.h"
#include "platform/error.h"

namespace settings {
namespace {

QString& Folder() {
  static QString folder;
  return folder;
}

QSettings Store(const QString& appName) {
  if (!Folder().isEmpty()) {
    return QSettings(Folder() + u'/' + appName + QStringLiteral(".ini"), QSettings::IniFormat);
  }
  return QSettings(settings_side::NativeFormat(), QSettings::UserScope, appName);
}

// Writes the store to its file at once and keeps the file private.
void Keep(QSettings& store) {
  store.sync();
  if (store.status() != QSettings::NoError) {
    throw platform::Error(QStringLiteral("Cannot write the settings file: ") + store.fileName());
  }
  settings_side::KeepPrivate(store);
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

void KeepInFolder(const QString& folder) {
  Folder() = folder;
}

}  // namespace settings
