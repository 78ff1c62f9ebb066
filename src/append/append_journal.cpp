#include "append/append_journal.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cstring>

#include "append/append_statements.h"
#include "platform/desktop/owner_file.h"
#include "platform/desktop/state_folder.h"

namespace append {
namespace {

QJsonArray ArrayOf(const QStringList& texts) {
  return QJsonArray::fromStringList(texts);
}

QStringList TextsOf(const QJsonValue& value) {
  QStringList texts;
  for (const QJsonValue& text : value.toArray()) texts << text.toString();
  return texts;
}

QByteArray HeaderLine(const JournalHeader& header) {
  const QJsonObject object{{"source_login", header.sourceLogin},
                           {"target_login", header.targetLogin},
                           {"source", header.source},
                           {"target", header.target},
                           {"fast", header.fast},
                           {"way", header.way},
                           {"key", ArrayOf(header.key)},
                           {"where", header.where},
                           {"target_before", QString::number(header.targetBefore)}};
  return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

// A count as the journal writes it; none for anything else.
std::optional<qint64> CountOf(const QJsonValue& value, qint64 least = 0) {
  bool ok = false;
  const qint64 count = value.toString().toLongLong(&ok);
  if (!ok || count < least) return std::nullopt;
  return count;
}

// The last keys go into the statements of the run that goes on: each must be one value's
// literal, as many as the key has columns, or none.
bool KeyLiterals(const QStringList& literals, const QStringList& key) {
  return (literals.isEmpty() || literals.size() == key.size()) &&
         std::all_of(literals.begin(), literals.end(), IsSqlLiteral);
}

// A journal cut short, or changed by other hands, is no account of a run.
bool Whole(const QJsonObject& header, const QJsonObject& mark, const JournalRecord& record) {
  const QStringList& key = record.header.key;
  return CountOf(header.value("target_before")) && CountOf(mark.value("appended")) &&
         CountOf(mark.value("refused")) && CountOf(mark.value("in_flight"), -1) &&
         !record.header.sourceLogin.isEmpty() && !record.header.targetLogin.isEmpty() &&
         !key.contains(QString()) && KeyLiterals(record.mark.after, key) &&
         KeyLiterals(record.mark.flightAfter, key);
}

JournalHeader HeaderOf(const QJsonObject& object) {
  JournalHeader header;
  header.sourceLogin = object.value("source_login").toString();
  header.targetLogin = object.value("target_login").toString();
  header.source = object.value("source").toString();
  header.target = object.value("target").toString();
  header.fast = object.value("fast").toBool();
  header.way = object.value("way").toString();
  header.key = TextsOf(object.value("key"));
  header.where = object.value("where").toString();
  header.targetBefore = object.value("target_before").toString().toLongLong();
  return header;
}

// Counts as text: a JSON number holds no more than 53 bits exactly.
QByteArray MarkLine(const JournalMark& mark) {
  const QJsonObject object{{"appended", QString::number(mark.appended)},
                           {"refused", QString::number(mark.refused)},
                           {"after", ArrayOf(mark.after)},
                           {"in_flight", QString::number(mark.inFlight)},
                           {"flight_after", ArrayOf(mark.flightAfter)}};
  return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

JournalMark MarkOf(const QJsonObject& object) {
  JournalMark mark;
  mark.appended = object.value("appended").toString().toLongLong();
  mark.refused = object.value("refused").toString().toLongLong();
  mark.after = TextsOf(object.value("after"));
  mark.inFlight = object.value("in_flight").toString().toLongLong();
  mark.flightAfter = TextsOf(object.value("flight_after"));
  return mark;
}

QString TableOf(const ConnectionProfile& login, const MSSQL::TableName& table) {
  return login.Server.toLower() + u',' + login.Port + u'/' + login.Database.toLower() + u'/' +
         table.Display().toLower();
}

}  // namespace

QString AppendJournal::PathOf(const ConnectionProfile& sourceLogin, const MSSQL::TableName& source,
                              const ConnectionProfile& targetLogin,
                              const MSSQL::TableName& target) {
  const QByteArray pair =
      (TableOf(sourceLogin, source) + QStringLiteral(" -> ") + TableOf(targetLogin, target))
          .toUtf8();
  const QByteArray hash = QCryptographicHash::hash(pair, QCryptographicHash::Sha1).toHex();
  return state_folder::FilePath(QStringLiteral("append-%1.journal").arg(QLatin1String(hash)));
}

QString AppendJournal::LoginOf(const ConnectionProfile& login) {
  return login.User + u'@' + login.Server + u',' + login.Port + u'/' + login.Database;
}

std::optional<JournalRecord> AppendJournal::Read(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  const QList<QByteArray> lines = file.readAll().split('\n');
  if (lines.size() < 2) return std::nullopt;
  const QJsonDocument header = QJsonDocument::fromJson(lines[0]);
  const QJsonDocument mark = QJsonDocument::fromJson(lines[1].trimmed());
  if (!header.isObject() || !mark.isObject()) return std::nullopt;
  JournalRecord record{HeaderOf(header.object()), MarkOf(mark.object())};
  if (!Whole(header.object(), mark.object(), record)) return std::nullopt;
  return record;
}

bool AppendJournal::Kept(const QString& path) {
  return QFile::exists(path);
}

void AppendJournal::SetAside(const QString& path) {
  QFile::remove(path);
}

AppendJournal::~AppendJournal() = default;

bool AppendJournal::Begin(const JournalHeader& header, const JournalMark& mark) {
  file_.reset();
  header_ = header;
  mark_ = mark;
  QString folder;
  if (const std::optional<QString> why = state_folder::Make(folder)) {
    error_ = *why;
    return false;
  }
  {
    owner_file::File made;  // 0600 as it is made
    if (const int error = made.Open(path_, true); error != 0) {
      error_ = QString::fromLocal8Bit(std::strerror(error));
      return false;
    }
  }
  auto file = std::make_unique<QFile>(path_);
  const QByteArray head = HeaderLine(header);
  if (!file->open(QIODevice::ReadWrite | QIODevice::Unbuffered) ||
      file->write(head) != head.size()) {
    error_ = file->errorString();
    return false;
  }
  file_ = std::move(file);
  markAt_ = head.size();
  markLength_ = 0;
  WriteMark();
  return Writing();
}

void AppendJournal::ChangeWay(const QString& way, const QStringList& key) {
  if (!file_ || header_.way == way) return;
  header_.way = way;
  header_.key = key;
  Begin(header_, mark_);
}

// The mark is written over the last one, padded to its length: a file cut short by the system
// never holds half of it and the header alone.
void AppendJournal::WriteMark() {
  if (!file_) return;
  QByteArray line = MarkLine(mark_);
  const qint64 length = line.size();
  if (length < markLength_) line.append(markLength_ - length, ' ');
  line.append('\n');
  if (!file_->seek(markAt_) || file_->write(line) != line.size()) {
    error_ = file_->errorString();
    file_.reset();
    return;
  }
  markLength_ = std::max(markLength_, length);
}

void AppendJournal::Sending(const Row& last, qint64 count) {
  mark_.inFlight = count;
  mark_.flightAfter.clear();
  for (const std::size_t at : keyAt_) mark_.flightAfter << SqlLiteral(last[at]);
  WriteMark();
}

void AppendJournal::SendingAll() {
  mark_.inFlight = -1;
  mark_.flightAfter.clear();
  WriteMark();
}

void AppendJournal::Took() {
  if (mark_.inFlight <= 0) return;
  mark_.appended += mark_.inFlight;
  mark_.after = mark_.flightAfter;
  mark_.inFlight = 0;
}

void AppendJournal::Refused() {
  if (mark_.inFlight <= 0) return;
  mark_.refused += mark_.inFlight;
  mark_.after = mark_.flightAfter;
  mark_.inFlight = 0;
}

void AppendJournal::NotWritten() {
  mark_.inFlight = 0;
  mark_.flightAfter.clear();
}

void AppendJournal::Settle() {
  WriteMark();
}

void AppendJournal::Remove() {
  file_.reset();
  QFile::remove(path_);
}

}  // namespace append
