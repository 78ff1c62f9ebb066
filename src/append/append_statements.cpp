#include "append/append_statements.h"

#include <algorithm>

#include "join/catalogue.h"

namespace append {
namespace {

bool IsAscii(const QString& text) {
  return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; });
}

QString QuotedText(const QString& text) {
  QString quoted = text;
  quoted.replace(QLatin1Char('\''), QLatin1String("''"));
  const QLatin1String opening = IsAscii(text) ? QLatin1String("'") : QLatin1String("N'");
  return opening + quoted + QLatin1Char('\'');
}

QString HexLiteral(const QByteArray& bytes) {
  return QLatin1String("0x") + QString::fromLatin1(bytes.toHex().toUpper());
}

}  // namespace

QString SelectAllStatement(const QString& table) {
  return QStringLiteral("SELECT * FROM ") + MSSQL::Bracketed(table);
}

QString SqlLiteral(const adodb::Value& value) {
  switch (value.kind) {
    case adodb::Value::Kind::Null:
      break;
    case adodb::Value::Kind::Text:
      return QuotedText(value.text);
    case adodb::Value::Kind::Binary:
      return HexLiteral(value.bytes);
  }
  return QStringLiteral("NULL");
}

QString InsertStatement(const QString& table, const std::vector<adodb::Value>& values) {
  QStringList literals;
  literals.reserve(static_cast<qsizetype>(values.size()));
  for (const adodb::Value& value : values) literals << SqlLiteral(value);
  return QStringLiteral("INSERT INTO ") + MSSQL::Bracketed(table) + QStringLiteral(" VALUES(") +
         literals.join(QStringLiteral(", ")) + QLatin1Char(')');
}

}  // namespace append
