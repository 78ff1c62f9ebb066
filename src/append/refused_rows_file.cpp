#include "append/refused_rows_file.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace append {
namespace {

constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

bool NeedsQuotes(const QString& text) {
  for (const QChar c : text) {
    if (c == u',' || c == u'"' || c == u'\r' || c == u'\n') return true;
  }
  return text.isEmpty();
}

QString Quoted(const QString& text) {
  if (!NeedsQuotes(text)) return text;
  QString doubled = text;
  doubled.replace(QLatin1Char('"'), QLatin1String("\"\""));
  return QLatin1Char('"') + doubled + QLatin1Char('"');
}

// Characters no file name may hold on some system, and control characters.
QString FileNamePart(const QString& text) {
  QString part = text;
  for (QChar& c : part) {
    if (c.unicode() < 0x20 || QStringView(u"/\\:*?\"<>|").contains(c)) c = u'_';
  }
  return part;
}

// A folder of the user's own: the rows may hold what others must not read.
bool MakeFolder(const QString& folder) {
  if (!QDir().mkpath(folder)) return false;
  QFile::setPermissions(folder, kOwnerOnly | QFileDevice::ExeOwner);
  return true;
}

}  // namespace

QString CsvField(const adodb::Value& value) {
  switch (value.kind) {
    case adodb::Value::Kind::Null:
      break;
    case adodb::Value::Kind::Text:
      return Quoted(value.text);
    case adodb::Value::Kind::Binary:
      return SqlLiteral(value);
  }
  return {};
}

QString CsvLine(const QStringList& fields) {
  return fields.join(QLatin1Char(',')) + QLatin1String("\r\n");
}

QString RefusedRowsPath(const QString& table) {
  const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
  const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd-HHmmss"));
  return folder + QStringLiteral("/refused/") + stamp + QLatin1Char('-') + FileNamePart(table) +
         QStringLiteral(".csv");
}

RefusedRowsFile::RefusedRowsFile(QString chosen, QString table, QStringList columns)
    : chosen_(std::move(chosen)), table_(std::move(table)), columns_(std::move(columns)) {}

RefusedRowsFile::~RefusedRowsFile() = default;

void RefusedRowsFile::Add(const Row& row, const QString& error) {
  if (!file_ && failure_.isEmpty() && !Open()) return;
  QStringList fields;
  for (const adodb::Value& value : row) fields << CsvField(value);
  fields << Quoted(error);
  Write(CsvLine(fields));
}

QString RefusedRowsFile::Line() const {
  if (path_.isEmpty()) return {};
  if (failure_.isEmpty()) return QStringLiteral("The refused rows are in ") + path_ + u'.';
  return QStringLiteral("The refused rows could not all be kept in ") + path_ +
         QStringLiteral(": ") + failure_ + u'.';
}

// The header goes first; a file that cannot be made is said once, in the closing message.
bool RefusedRowsFile::Open() {
  if (!Create()) return false;
  QStringList header;
  for (const QString& column : columns_) header << Quoted(column);
  header << QStringLiteral("error");
  Write(CsvLine(header));
  return failure_.isEmpty();
}

// A chosen file is replaced; in the data folder a name already taken (a run of the same second)
// gets a number.
bool RefusedRowsFile::Create() {
  path_ = QFileInfo(chosen_.isEmpty() ? RefusedRowsPath(table_) : chosen_).absoluteFilePath();
  if (!MakeFolder(QFileInfo(path_).absolutePath())) {
    failure_ = QStringLiteral("its folder cannot be made");
    return false;
  }
  file_ = std::make_unique<QFile>(path_);
  if (!chosen_.isEmpty()) {
    if (file_->open(QIODevice::WriteOnly | QIODevice::Truncate, kOwnerOnly) &&
        file_->setPermissions(kOwnerOnly)) {
      return true;
    }
  } else {
    const QString stem = path_.chopped(4);
    for (int number = 2; !file_->open(QIODevice::WriteOnly | QIODevice::NewOnly, kOwnerOnly) &&
                         file_->error() == QFileDevice::OpenError && number < 100;
         ++number) {
      path_ = stem + QLatin1Char('-') + QString::number(number) + QStringLiteral(".csv");
      file_ = std::make_unique<QFile>(path_);
    }
    if (file_->isOpen()) return true;
  }
  failure_ = file_->errorString();
  file_.reset();
  return false;
}

// Each row is on the disk as soon as it is refused; after a failed write nothing more is tried.
void RefusedRowsFile::Write(const QString& line) {
  if (!file_) return;
  const QByteArray bytes = line.toUtf8();
  if (file_->write(bytes) != bytes.size() || !file_->flush()) {
    failure_ = file_->errorString();
    file_.reset();
  }
}

}  // namespace append
