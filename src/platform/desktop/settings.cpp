#include "platform/desktop/settings.h"

#include <QSet>
#include <QSettings>
#include <memory>
#include <mutex>

#include "platform/desktop/settings_side.h"
#include "platform/error.h"

namespace settings {
namespace {

QString& Folder() {
  static QString folder;
  return folder;
}

// The sections whose earlier place was looked at in this run, and the lock of that look.
struct Moves {
  std::mutex mutex;
  QSet<QString> looked;
};

Moves& TheMoves() {
  static Moves moves;
  return moves;
}

std::unique_ptr<QSettings> Store(const QString& appName) {
  if (!Folder().isEmpty()) {
    return std::make_unique<QSettings>(Folder() + u'/' + appName + QStringLiteral(".ini"),
                                       QSettings::IniFormat);
  }
  return settings_side::NativeStore(appName);
}

// The first time a run asks for a section of the system's store, what an earlier version kept
// of it elsewhere moves in; every thread waits for that move. A move that fails is said once,
// and leaves the earlier copy where it was.
void MoveEarlierOnce(const QString& appName, const QString& section) {
  if (!Folder().isEmpty()) return;
  const std::lock_guard lock(TheMoves().mutex);
  const QString name = appName + u'/' + section;
  if (TheMoves().looked.contains(name)) return;
  TheMoves().looked.insert(name);
  if (const auto failure = settings_side::MoveEarlierSection(appName, section)) {
    throw platform::Error(*failure);
  }
}

// The store with `section` open.
std::unique_ptr<QSettings> SectionOf(const QString& appName, const QString& section) {
  MoveEarlierOnce(appName, section);
  std::unique_ptr<QSettings> store = Store(appName);
  store->beginGroup(section);
  return store;
}

// Writes the store to its file at once and keeps the file private.
void Keep(QSettings& store) {
  store.endGroup();
  store.sync();
  if (store.status() != QSettings::NoError) {
    throw platform::Error(QStringLiteral("Cannot write the settings file: ") + store.fileName());
  }
  settings_side::KeepPrivate(store);
}

}  // namespace

QString GetSetting(const QString& appName, const QString& section, const QString& key,
                   const QString& defaultValue) {
  return SectionOf(appName, section)->value(key, defaultValue).toString();
}

void SaveSetting(const QString& appName, const QString& section, const QString& key,
                 const QString& value) {
  const std::unique_ptr<QSettings> store = SectionOf(appName, section);
  store->setValue(key, value);
  Keep(*store);
}

bool HasSetting(const QString& appName, const QString& section, const QString& key) {
  return SectionOf(appName, section)->contains(key);
}

void RemoveSetting(const QString& appName, const QString& section, const QString& key) {
  const std::unique_ptr<QSettings> store = SectionOf(appName, section);
  store->remove(key);
  Keep(*store);
}

QString FilePath(const QString& appName) {
  return Store(appName)->fileName();
}

// A store elsewhere is looked at anew for what an earlier version kept.
void KeepInFolder(const QString& folder) {
  const std::lock_guard lock(TheMoves().mutex);
  Folder() = folder;
  TheMoves().looked.clear();
}

}  // namespace settings
