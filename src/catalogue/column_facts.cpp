#include "catalogue/column_facts.h"

#include <algorithm>

#include "platform/adodb.h"

namespace MSSQL {
namespace {

// Text as an N'...' literal.
QString NationalLiteral(const QString& text) {
  QString quoted = text;
  quoted.replace(QLatin1Char('\''), QLatin1String("''"));
  return QStringLiteral("N'") + quoted + QLatin1Char('\'');
}

bool IsOne(const adodb::Value& value) {
  return !value.IsNull() && value.text.trimmed() == QLatin1String("1");
}

ColumnFacts FactsOfRow(adodb::Recordset& rows) {
  ColumnFacts column;
  column.name = rows.FieldValue(1).text;
  column.type = rows.FieldValue(2).text.toLower();
  column.nullable = rows.FieldValue(3).text.compare(QLatin1String("YES"), Qt::CaseInsensitive) == 0;
  column.identity = IsOne(rows.FieldValue(4));
  column.computed = IsOne(rows.FieldValue(5));
  column.rowversion =
      column.type == QLatin1String("timestamp") || column.type == QLatin1String("rowversion");
  return column;
}

}  // namespace

bool TableFacts::HasIdentity() const {
  return std::any_of(columns.begin(), columns.end(), [](const auto& c) { return c.identity; });
}

// INFORMATION_SCHEMA keeps the columns' names as they were written on every server; the
// identity and computed flags come from COLUMNPROPERTY of the table's object.
QString ColumnFactsStatement(const QString& schema, const QString& table) {
  const QString object =
      QStringLiteral("OBJECT_ID(QUOTENAME(c.TABLE_SCHEMA) + N'.' + QUOTENAME(c.TABLE_NAME))");
  const QString schemaTest =
      schema.isEmpty() ? QStringLiteral("SCHEMA_NAME()") : NationalLiteral(schema);
  return QStringLiteral(
             "SELECT c.TABLE_SCHEMA, c.COLUMN_NAME, c.DATA_TYPE, c.IS_NULLABLE, "
             "COLUMNPROPERTY(%1, c.COLUMN_NAME, 'IsIdentity'), "
             "COLUMNPROPERTY(%1, c.COLUMN_NAME, 'IsComputed') "
             "FROM INFORMATION_SCHEMA.COLUMNS c WHERE c.TABLE_NAME = %2 AND "
             "c.TABLE_SCHEMA = %3 ORDER BY c.ORDINAL_POSITION")
      .arg(object, NationalLiteral(table), schemaTest);
}

TableFacts ReadColumnFacts(adodb::Connection& connection, const QString& schema,
                           const QString& table) {
  TableFacts facts;
  const std::unique_ptr<adodb::Recordset> rows =
      connection.Execute(ColumnFactsStatement(schema, table));
  for (; !rows->Eof(); rows->MoveNext()) {
    if (facts.schema.isEmpty()) facts.schema = rows->FieldValue(0).text;
    facts.columns.push_back(FactsOfRow(*rows));
  }
  return facts;
}

}  // namespace MSSQL
