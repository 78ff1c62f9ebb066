#include "copy/table_order.h"

#include <QStringList>

#include "catalogue/foreign_keys.h"
#include "platform/odbc/adodb.h"

namespace copy {

MSSQL::TableName WithSchema(const MSSQL::TableName& table, const QString& defaultSchema) {
  if (!table.schema.isEmpty()) return table;
  return MSSQL::TableName(defaultSchema, table.name);
}

QString DefaultSchema(adodb::Connection& connection) {
  const std::unique_ptr<adodb::Recordset> row =
      connection.Execute(QStringLiteral("SELECT SCHEMA_NAME()"));
  return row->Eof() || row->FieldValue(0).IsNull() ? QString() : row->FieldValue(0).text;
}

std::vector<MSSQL::TableName> ReferencedFirstOnSession(
    adodb::Connection& source, const std::vector<MSSQL::TableName>& tables) {
  const QString schema = DefaultSchema(source);
  std::vector<MSSQL::TableName> named;
  for (const MSSQL::TableName& table : tables) named.push_back(WithSchema(table, schema));
  QStringList cycle;
  const std::optional<std::vector<MSSQL::TableName>> ordered =
      MSSQL::ReferencedFirst(named, MSSQL::ReadForeignKeys(source), cycle);
  if (!ordered) return tables;
  // Each table as it was given, in its place in the order.
  std::vector<MSSQL::TableName> given;
  for (const MSSQL::TableName& table : *ordered) {
    for (std::size_t i = 0; i < named.size(); ++i) {
      if (named[i] == table) given.push_back(tables[i]);
    }
  }
  return given;
}

}  // namespace copy
