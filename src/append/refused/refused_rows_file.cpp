#include "append/refused/refused_rows_file.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <cerrno>

#include "platform/desktop/spreadsheet.h"

namespace append {
namespace {

// A run of the same second takes the next number, up to this one.
constexpr int kLastNumber = 99;

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

// The first UTF-8 bytes of `text`, at most `bytes`, ending on a character's boundary.
QByteArray CutToBytes(const QString& text, qsizetype bytes) {
  QByteArray utf8 = text.toUtf8();
  if (utf8.size() <= bytes) return utf8;
  qsizetype end = qMax<qsizetype>(bytes, 0);
  while (end > 0 && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80) --end;
  utf8.truncate(end);
  return utf8;
}

QString RefusedRowsFolder() {
  return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
         QStringLiteral("/refused");
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

QString RefusedRowsFileName(const QString& stamp, const QString& table, int number, int longest) {
  const QString numbered = number > 1 ? QLatin1Char('-') + QString::number(number) : QString();
  const QString rest = numbered + QStringLiteral(".csv");
  const qsizetype room = longest - stamp.toUtf8().size() - 1 - rest.toUtf8().size();
  return stamp + QLatin1Char('-') + QString::fromUtf8(CutToBytes(FileNamePart(table), room)) + rest;
}

RefusedRowsFile::RefusedRowsFile(QString chosen, QString table, QStringList columns)
    : chosen_(std::move(chosen)), table_(std::move(table)), columns_(std::move(columns)) {}

RefusedRowsFile::~RefusedRowsFile() = default;

void RefusedRowsFile::Add(const Row& row, const QString& error) {
  ++refused_;
  if (!made_ && failure_.isEmpty() && !Open()) return;
  QStringList fields;
  for (const adodb::Value& value : row) fields << CsvField(value);
  fields << Quoted(error);
  if (Write(CsvLine(fields))) ++kept_;
}

QString RefusedRowsFile::Line() const {
  if (path_.isEmpty()) return {};
  if (failure_.isEmpty()) return QStringLiteral("The refused rows are in ") + path_ + u'.';
  QString line = QStringLiteral("The refused rows could not all be kept in ") + path_ +
                 QStringLiteral(": ") + failure_ + u'.';
  if (made_) {
    line += QStringLiteral(" It holds %1 of %2 refused %3.")
                .arg(kept_)
                .arg(refused_)
                .arg(refused_ == 1 ? QStringLiteral("row") : QStringLiteral("rows"));
  }
  return line;
}

// The header goes first; a file that cannot be made is said once, in the closing message.
bool RefusedRowsFile::Open() {
  if (!Create()) return false;
  made_ = true;
  QStringList header;
  for (const QString& column : columns_) header << Quoted(column);
  header << QStringLiteral("error");
  return Write(spreadsheet::TextStart() + CsvLine(header));
}

// A chosen file is written as a shell's redirection writes it: replaced when it is there,
// through a link, its mode and its folder's left as they are.
bool RefusedRowsFile::Create() {
  if (chosen_.isEmpty()) return CreateInDataFolder();
  path_ = QDir::toNativeSeparators(QFileInfo(chosen_).absoluteFilePath());
  if (const std::optional<QString> failure = owner_file::MakeFolders(QFileInfo(path_).path())) {
    failure_ = *failure;
    return false;
  }
  if (file_.Open(path_, true) == 0) return true;
  failure_ = file_.Error();
  return false;
}

// In the data folder the name is cut to what the file system takes; a name already taken (a
// run of the same second) gets a number.
bool RefusedRowsFile::CreateInDataFolder() {
  const QString folder = RefusedRowsFolder();
  const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd-HHmmss"));
  path_ = QDir::toNativeSeparators(folder + u'/' + RefusedRowsFileName(stamp, table_, 1, 255));
  if (const std::optional<QString> failure = owner_file::MakeFolders(folder)) {
    failure_ = *failure;
    return false;
  }
  const int longest = owner_file::LongestName(folder);
  for (int number = 1; number <= kLastNumber; ++number) {
    path_ = QDir::toNativeSeparators(folder + u'/' +
                                     RefusedRowsFileName(stamp, table_, number, longest));
    if (const int error = file_.Open(path_, false); error != EEXIST) {
      if (error == 0) return true;
      break;
    }
  }
  failure_ = file_.Error();
  return false;
}

// Each row is on the disk as soon as it is refused; after a failed write the file ends with the
// last whole row, and nothing more is tried.
bool RefusedRowsFile::Write(const QString& line) {
  if (!failure_.isEmpty()) return false;
  if (file_.Write(line.toUtf8())) return true;
  failure_ = file_.Error();
  return false;
}

}  // namespace append
