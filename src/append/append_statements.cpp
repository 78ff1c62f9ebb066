#include "append/append_statements.h"

#include "join/catalogue.h"

namespace append {
namespace {

// What one pass over a text finds: whether it is all 7-bit ASCII and how many of a character
// it holds.
struct TextScan {
  bool ascii = true;
  qsizetype marks = 0;
};

TextScan Scan(QStringView text, char16_t mark) {
  TextScan scan;
  for (QChar c : text) {
    const char16_t unit = c.unicode();
    if (unit >= 0x80) scan.ascii = false;
    if (unit == mark) ++scan.marks;
  }
  return scan;
}

// Appends the text with every `mark` doubled.
void AppendDoubling(QString& out, QStringView text, QChar mark, qsizetype marks) {
  if (marks == 0) {
    out += text;
    return;
  }
  qsizetype start = 0;
  for (qsizetype at = text.indexOf(mark); at >= 0; at = text.indexOf(mark, start)) {
    out += text.mid(start, at + 1 - start);
    out += mark;
    start = at + 1;
  }
  out += text.mid(start);
}

void AppendQuotedText(QString& out, const QString& text) {
  const TextScan scan = Scan(text, u'\'');
  if (!scan.ascii) out += QLatin1Char('N');
  out += QLatin1Char('\'');
  AppendDoubling(out, text, QLatin1Char('\''), scan.marks);
  out += QLatin1Char('\'');
}

void AppendHex(QString& out, const QByteArray& bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  out += QLatin1String("0x");
  for (const char byte : bytes) {
    const auto value = static_cast<unsigned char>(byte);
    out += QLatin1Char(kDigits[value >> 4]);
    out += QLatin1Char(kDigits[value & 0xF]);
  }
}

void AppendLiteral(QString& out, const adodb::Value& value) {
  switch (value.kind) {
    case adodb::Value::Kind::Null:
      break;
    case adodb::Value::Kind::Text:
      return AppendQuotedText(out, value.text);
    case adodb::Value::Kind::Binary:
      return AppendHex(out, value.bytes);
  }
  out += QLatin1String("NULL");
}

// The length of a statement's fixed parts and its values as they stand, without the marks
// that quoting doubles.
qsizetype EstimatedLength(const QString& table, const std::vector<adodb::Value>& values) {
  qsizetype length = 32 + table.size();
  for (const adodb::Value& value : values) {
    length += 4 + value.text.size() + 2 * value.bytes.size();
  }
  return length;
}

}  // namespace

QString SelectAllStatement(const QString& table) {
  return QStringLiteral("SELECT * FROM ") + MSSQL::Bracketed(table);
}

QString SqlLiteral(const adodb::Value& value) {
  QString literal;
  AppendLiteral(literal, value);
  return literal;
}

// Built in one string: an INSERT goes out for every row appended.
QString InsertStatement(const QString& table, const std::vector<adodb::Value>& values) {
  QString statement;
  statement.reserve(EstimatedLength(table, values));
  statement += QLatin1String("INSERT INTO [");
  AppendDoubling(statement, table, QLatin1Char(']'), Scan(table, u']').marks);
  statement += QLatin1String("] VALUES(");
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i > 0) statement += QLatin1String(", ");
    AppendLiteral(statement, values[i]);
  }
  statement += QLatin1Char(')');
  return statement;
}

}  // namespace append
