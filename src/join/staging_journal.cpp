#include "join/staging_journal.h"

#include <QSettings>

#include "platform/desktop/state_folder.h"

namespace {

const QString kFile = QStringLiteral("staging-copies.ini");

}  // namespace

StagingJournal::StagingJournal(QString database) : database_(std::move(database)) {}

// One key a copy: the database as hex digits (a key cannot hold every character), and the name.
QString StagingJournal::Key(const QString& name) const {
  return QString::fromLatin1(database_.toUtf8().toHex()) + u'/' + name.toLower();
}

bool StagingJournal::Ours(const QString& name, const QString& objectId) const {
  if (objectId.isEmpty()) return false;
  const QSettings journal(state_folder::FilePath(kFile), QSettings::IniFormat);
  return journal.value(Key(name)).toString() == objectId;
}

void StagingJournal::Made(const QString& name, const QString& objectId) {
  QString folder;
  if (objectId.isEmpty() || state_folder::Make(folder)) return;
  QSettings journal(state_folder::FilePath(kFile), QSettings::IniFormat);
  journal.setValue(Key(name), objectId);
  journal.sync();
}

void StagingJournal::Dropped(const QString& name) {
  QSettings journal(state_folder::FilePath(kFile), QSettings::IniFormat);
  if (!journal.contains(Key(name))) return;
  journal.remove(Key(name));
  journal.sync();
}
