#include "catalogue/catalogue.h"

#include "catalogue/column_facts.h"

#include <algorithm>

#include "connections/encryption.h"
#include "platform/desktop/app.h"
#include "platform/odbc/adodb.h"

namespace MSSQL {
namespace {

bool IsListedTable(const QString& name) {
  return !name.contains(QLatin1String("SYS"), Qt::CaseInsensitive);
}

QString TextOf(adodb::Recordset& rows, int field) {
  return field < 0 ? QString() : rows.FieldValue(field).text;
}

// The rowset names the column TABLE_SCHEMA as ADO does, or TABLE_SCHEM as ODBC's SQLTables.
int SchemaField(const adodb::Recordset& tables) {
  const int field = adodb::FieldIndex(tables, QStringLiteral("TABLE_SCHEMA"));
  return field >= 0 ? field : adodb::FieldIndex(tables, QStringLiteral("TABLE_SCHEM"));
}

// The schema as the table's name keeps it: none for the default schema.
QString SchemaApart(const QString& schema, const QString& defaultSchema) {
  return schema.compare(defaultSchema, Qt::CaseInsensitive) == 0 ? QString() : schema;
}

}  // namespace

// A server without schemas (or that cannot tell) lists every table by its bare name.
namespace {

// The one value of a statement of one row, or none when the server does not give it.
QString OneValue(adodb::Connection& connection, const QString& statement) {
  try {
    const std::unique_ptr<adodb::Recordset> row = connection.Execute(statement);
    return row->Eof() ? QString() : row->FieldValue(0).text;
  } catch (const adodb::Error&) {
    return QString();
  }
}

}  // namespace

QString DefaultSchema(adodb::Connection& connection) {
  return OneValue(connection, QStringLiteral("SELECT SCHEMA_NAME()"));
}

QString CurrentDatabase(adodb::Connection& connection) {
  return OneValue(connection, QStringLiteral("SELECT DB_NAME()"));
}

void ReadTableNames(const ConnectionProfile& profile, TableListing& listing, bool all) {
  std::unique_ptr<adodb::Connection> connection = adodb::CreateConnection();
  OpenLogin(*connection, profile);
  ReadTableNames(*connection, DefaultSchema(*connection), listing, all);
}

void ReadTableNames(adodb::Connection& connection, const QString& defaultSchema,
                    TableListing& listing, bool all) {
  std::unique_ptr<adodb::Recordset> tables = connection.OpenSchema(adodb::adSchemaTables);
  const int typeField = adodb::FieldIndex(*tables, QStringLiteral("TABLE_TYPE"));
  const int schemaField = SchemaField(*tables);
  const int nameField = adodb::FieldIndex(*tables, QStringLiteral("TABLE_NAME"));
  listing.started = true;
  while (!tables->Eof()) {
    if (TextOf(*tables, typeField) == QLatin1String("TABLE")) {
      if (app::Ended()) return;
      QString name = TextOf(*tables, nameField);
      if (all || IsListedTable(name)) {
        TableName table(SchemaApart(TextOf(*tables, schemaField), defaultSchema), std::move(name));
        listing.names << table.Display();
        listing.tables.push_back(std::move(table));
      }
    }
    tables->MoveNext();
  }
  tables->Close();
}

QStringList TableNames(const ConnectionProfile& profile, bool all) {
  TableListing listing;
  ReadTableNames(profile, listing, all);
  return listing.names;
}

std::vector<TableName> Tables(const ConnectionProfile& profile, bool all) {
  TableListing listing;
  ReadTableNames(profile, listing, all);
  return listing.tables;
}

TableName TypedTable(const ConnectionProfile& profile, const QString& typed) {
  if (!typed.contains(QLatin1Char('.'))) return TableName(typed);
  TableListing listing;
  ReadTableNames(profile, listing);
  qsizetype found = listing.names.indexOf(typed);
  if (found < 0) {
    found = std::find_if(listing.names.begin(), listing.names.end(),
                         [&](const QString& name) {
                           return name.compare(typed, Qt::CaseInsensitive) == 0;
                         }) -
            listing.names.begin();
  }
  if (found >= listing.names.size()) return TableName(typed);
  return listing.tables[static_cast<std::size_t>(found)];
}

QString NationalLiteral(const QString& text) {
  QString quoted = text;
  quoted.replace(QLatin1Char('\''), QLatin1String("''"));
  return QStringLiteral("N'") + quoted + QLatin1Char('\'');
}

QString Bracketed(const QString& name) {
  QString escaped = name;
  escaped.replace(QLatin1String("]"), QLatin1String("]]"));
  return QLatin1Char('[') + escaped + QLatin1Char(']');
}

// "SELECT TOP 0 *" reads no row, and the facts of the append read it again at once, as a
// statement the server has seen; a server without TOP (not SQL Server) describes the SELECT.
QStringList FieldNames(adodb::Connection& connection, const TableName& table) {
  std::unique_ptr<adodb::Recordset> fields;
  try {
    fields = connection.Execute(TableColumnsStatement(table));
  } catch (const adodb::Error&) {
    fields = connection.Describe(QStringLiteral("SELECT * FROM ") + table.Bracketed());
  }
  QStringList names;
  names.reserve(fields->FieldCount());
  for (int i = 0; i < fields->FieldCount(); ++i) names << fields->FieldName(i);
  fields->Close();
  return names;
}

QStringList FieldNames(const ConnectionProfile& profile, const TableName& table) {
  std::unique_ptr<adodb::Connection> connection = adodb::CreateConnection();
  connection->SetMode(adodb::adModeReadWrite);
  OpenLogin(*connection, profile);
  return FieldNames(*connection, table);
}

}  // namespace MSSQL
