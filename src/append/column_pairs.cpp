#include "append/column_pairs.h"

#include <QSet>
#include <algorithm>

namespace append {
namespace {

constexpr int kPairsListed = 10;

bool OneOf(const QString& type, std::initializer_list<const char*> types) {
  return std::any_of(types.begin(), types.end(),
                     [&](const char* candidate) { return type == QLatin1String(candidate); });
}

QString Described(const MSSQL::ColumnFacts& column) {
  return column.name + QStringLiteral(" (") + column.type + QLatin1Char(')');
}

}  // namespace

QString KindOf(const QString& type) {
  const QString t = type.toLower();
  if (OneOf(t, {"char", "varchar", "nchar", "nvarchar", "text", "ntext", "sysname"})) {
    return QStringLiteral("text");
  }
  if (OneOf(t, {"bit", "tinyint", "smallint", "int", "bigint", "decimal", "numeric", "money",
                "smallmoney", "float", "real"})) {
    return QStringLiteral("number");
  }
  if (OneOf(t, {"date", "time", "datetime", "datetime2", "smalldatetime", "datetimeoffset"})) {
    return QStringLiteral("date and time");
  }
  if (OneOf(t, {"binary", "varbinary", "image", "timestamp", "rowversion"})) {
    return QStringLiteral("binary");
  }
  return QStringLiteral("other");
}

QStringList DifferingPairs(const MSSQL::TableFacts& source, const MSSQL::TableFacts& target) {
  QStringList pairs;
  const std::size_t facing = std::min(source.columns.size(), target.columns.size());
  for (std::size_t i = 0; i < facing; ++i) {
    const MSSQL::ColumnFacts& from = source.columns[i];
    const MSSQL::ColumnFacts& to = target.columns[i];
    if (!to.Writable()) continue;
    if (from.name.compare(to.name, Qt::CaseInsensitive) == 0 &&
        KindOf(from.type) == KindOf(to.type)) {
      continue;
    }
    pairs << QStringLiteral("%1: %2 -> %3").arg(i + 1).arg(Described(from), Described(to));
  }
  return pairs;
}

QString PositionalAppendQuestion(const QStringList& pairs) {
  QString question = QStringLiteral(
      "The rows are appended by column position, and these columns facing each other differ "
      "in name or kind:\r\n\r\n");
  question += pairs.mid(0, kPairsListed).join(QStringLiteral("\r\n"));
  if (pairs.size() > kPairsListed) {
    question += QStringLiteral("\r\n... and %1 more").arg(pairs.size() - kPairsListed);
  }
  return question + QStringLiteral("\r\n\r\nAppend by position anyway?");
}

}  // namespace append
