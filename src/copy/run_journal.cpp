#include "copy/run_journal.h"

#include <QCryptographicHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstring>

#include "platform/desktop/owner_file.h"
#include "platform/desktop/state_folder.h"

namespace copy {
namespace {

QString KeyOf(const MSSQL::TableName& target) {
  return target.Display().toLower();
}

QString LoginOf(const ConnectionProfile& login) {
  return login.User + u'@' + login.Server.toLower() + u',' + login.Port + u'/' +
         login.Database.toLower();
}

QByteArray LineOf(const QJsonObject& object) {
  return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

// One event of a table; false when the line is none of the journal's.
bool ReadEvent(const QJsonObject& event, RunJournalRecord& record) {
  const QString table = event.value("table").toString();
  const QString what = event.value("event").toString();
  if (table.isEmpty()) return false;
  JournaledTable& stands = record.tables[table];
  if (what == QLatin1String("began")) {
    // A table begun again by a run that went on keeps what the first run made.
    stands = JournaledTable{true, stands.made || event.value("made").toBool(), false, false};
    return true;
  }
  if (what == QLatin1String("ended") && stands.began) {
    stands.ended = true;
    stands.complete = event.value("complete").toBool();
    stands.journaled = event.value("journaled").toBool();
    bool counted = false;
    stands.appended = event.value("appended").toString().toLongLong(&counted);
    return counted;
  }
  return false;
}

}  // namespace

const JournaledTable* RunJournalRecord::Of(const MSSQL::TableName& target) const {
  const auto found = tables.find(KeyOf(target));
  return found == tables.end() ? nullptr : &found->second;
}

QString RunJournal::PathOf(const ConnectionProfile& sourceLogin,
                           const ConnectionProfile& targetLogin, const QString& chosen) {
  const QByteArray run =
      (LoginOf(sourceLogin) + QStringLiteral(" -> ") + LoginOf(targetLogin) + u' ' + chosen)
          .toUtf8();
  const QByteArray hash = QCryptographicHash::hash(run, QCryptographicHash::Sha1).toHex();
  return state_folder::FilePath(QStringLiteral("copy-%1.journal").arg(QLatin1String(hash)));
}

std::optional<RunJournalRecord> RunJournal::Read(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  QList<QByteArray> lines = file.readAll().split('\n');
  lines.removeLast();  // after the last '\n': empty, or a line a kill cut short
  if (lines.isEmpty()) return std::nullopt;
  const QJsonObject header = QJsonDocument::fromJson(lines.takeFirst()).object();
  RunJournalRecord record{header.value("source_login").toString(),
                          header.value("target_login").toString(),
                          header.value("chosen").toString(),
                          {}};
  if (record.sourceLogin.isEmpty() || record.targetLogin.isEmpty()) return std::nullopt;
  for (const QByteArray& line : lines) {
    const QJsonDocument event = QJsonDocument::fromJson(line);
    if (!event.isObject() || !ReadEvent(event.object(), record)) return std::nullopt;
  }
  return record;
}

bool RunJournal::Kept(const QString& path) {
  return QFile::exists(path);
}

void RunJournal::SetAside(const QString& path) {
  QFile::remove(path);
}

RunJournal::~RunJournal() = default;

bool RunJournal::Begin(const ConnectionProfile& sourceLogin, const ConnectionProfile& targetLogin,
                       const QString& chosen, bool goOn) {
  QString folder;
  if (const std::optional<QString> why = state_folder::Make(folder)) {
    error_ = *why;
    return false;
  }
  if (!goOn) {
    owner_file::File made;  // 0600 as it is made
    if (const int error = made.Open(path_, true); error != 0) {
      error_ = QString::fromLocal8Bit(std::strerror(error));
      return false;
    }
  }
  auto file = std::make_unique<QFile>(path_);
  if (!file->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
    error_ = file->errorString();
    return false;
  }
  file_ = std::move(file);
  if (!goOn) {
    Write(LineOf({{"source_login", LoginOf(sourceLogin)},
                  {"target_login", LoginOf(targetLogin)},
                  {"chosen", chosen}}));
  }
  return file_ != nullptr;
}

void RunJournal::Began(const MSSQL::TableName& target, bool made) {
  Write(LineOf({{"event", "began"}, {"table", KeyOf(target)}, {"made", made}}));
}

void RunJournal::Ended(const MSSQL::TableName& target, bool complete, qint64 appended,
                       bool journaled) {
  Write(LineOf({{"event", "ended"},
                {"table", KeyOf(target)},
                {"complete", complete},
                {"appended", QString::number(appended)},
                {"journaled", journaled}}));
}

void RunJournal::Remove() {
  file_.reset();
  QFile::remove(path_);
}

void RunJournal::Write(const QByteArray& line) {
  if (!file_) return;
  if (file_->write(line) != line.size()) {
    error_ = file_->errorString();
    file_.reset();
  }
}

}  // namespace copy
