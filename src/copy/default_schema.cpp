#include "copy/default_schema.h"

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

}  // namespace copy
