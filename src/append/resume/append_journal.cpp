#include "append/resume/append_journal.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cstring>

#include "append/ways/append_statements.h"
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

// A count as the journal writes it; false for anything else.
bool ReadCount(const QJsonValue& value, qint64& count, qint64 least = 0) {
  bool ok = false;
  count = value.toString().toLongLong(&ok);
  return ok && count >= least;
}

// None when the header was cut short or changed by other hands.
std::optional<JournalHeader> HeaderOf(const QJsonObject& object) {
  JournalHeader header;
  header.sourceLogin = object.value("source_login").toString();
  header.targetLogin = object.value("target_login").toString();
  header.source = object.value("source").toString();
  header.target = object.value("target").toString();
  header.fast = object.value("fast").toBool();
  header.way = object.value("way").toString();
  header.key = TextsOf(object.value("key"));
  header.where = object.value("where").toString();
  if (!ReadCount(object.value("target_before"), header.targetBefore) ||
      header.sourceLogin.isEmpty() || header.targetLogin.isEmpty() ||
      header.key.contains(QString())) {
    return std::nullopt;
  }
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

// None when the mark was cut short or changed by other hands.
std::optional<JournalMark> MarkOf(const QJsonObject& object) {
  JournalMark mark;
  mark.after = TextsOf(object.value("after"));
  mark.flightAfter = TextsOf(object.value("flight_after"));
  if (!ReadCount(object.value("appended"), mark.appended) ||
      !ReadCount(object.value("refused"), mark.refused) ||
      !ReadCount(object.value("in_flight"), mark.inFlight, -1)) {
    return std::nullopt;
  }
  return mark;
}

// The last keys go into the statements of the run that goes on: each must be one value's
// literal, as many as the key has columns, or none.
bool KeyLiterals(const QStringList& literals, const QStringList& key) {
  return (literals.isEmpty() || literals.size() == key.size()) &&
         std::all_of(literals.begin(), literals.end(), IsSqlLiteral);
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
  const std::optional<JournalHeader> head = HeaderOf(header.object());
  const std::optional<JournalMark> stand = MarkOf(mark.object());
  if (!head || !stand || !KeyLiterals(stand->after, head->key) ||
      !KeyLiterals(stand->flightAfter, head->key)) {
    return std::nullopt;
  }
  return JournalRecord{*head, *stand};
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

void AppendJournal::SendingAgain() {
  mark_.inFlight = 1;
  mark_.flightAfter = mark_.after;
  WriteMark();
}

void AppendJournal::Retaken() {
  ++mark_.appended;
  --mark_.refused;
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
