#include <QRegularExpression>

#include "support/fake_statements.h"

namespace fake {
namespace {

QString Unquoted(QString text) {
  return text.replace(QLatin1String("''"), QLatin1String("'"));
}

adodb::Value Flag(bool set) {
  return adodb::Value::Text(set ? QStringLiteral("1") : QStringLiteral("0"));
}

Result SchemaName() {
  return {true, {QString()}, {{adodb::Value::Text(QStringLiteral("dbo"))}}};
}

// The rows of the column facts query for the table it names, from the facts it was given.
Result ColumnFacts(Database& database, const QString& statement) {
  static const QRegularExpression kTable(
      QStringLiteral("c\\.TABLE_NAME = N'((?:[^']|'')*)' AND c\\.TABLE_SCHEMA = "
                     "(?:SCHEMA_NAME\\(\\)|N'((?:[^']|'')*)')"));
  Result result{
      true,
      {"TABLE_SCHEMA", "COLUMN_NAME", "DATA_TYPE", "IS_NULLABLE", "IsIdentity", "IsComputed"},
      {}};
  const QRegularExpressionMatch match = kTable.match(statement);
  if (!match.hasMatch()) return result;
  const Table* table =
      database.Find(QualifiedName{Unquoted(match.captured(2)), Unquoted(match.captured(1))});
  if (!table) return result;
  for (const MSSQL::ColumnFacts& column : table->facts) {
    result.rows.push_back({adodb::Value::Text(table->Schema()), adodb::Value::Text(column.name),
                           adodb::Value::Text(column.type),
                           adodb::Value::Text(column.nullable ? "YES" : "NO"),
                           Flag(column.identity), Flag(column.computed)});
  }
  return result;
}

}  // namespace

bool RunCatalogueQuery(Database& database, const QString& statement, Result& result) {
  if (statement.compare(QLatin1String("SELECT SCHEMA_NAME()"), Qt::CaseInsensitive) == 0) {
    result = SchemaName();
    return true;
  }
  if (!statement.contains(QLatin1String("INFORMATION_SCHEMA.COLUMNS"))) return false;
  result = ColumnFacts(database, statement);
  return true;
}

}  // namespace fake
