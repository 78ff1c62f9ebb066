#include "catalogue/catalogue.h"

#include "platform/adodb.h"
#include "platform/app.h"

namespace MSSQL {
namespace {

bool IsListedTable(const QString& name) {
  return !name.contains(QLatin1String("SYS"), Qt::CaseInsensitive);
}

QString TextOf(adodb::Recordset& rows, int field) {
  return field < 0 ? QString() : rows.FieldValue(field).text;
}

}  // namespace

void ReadTableNames(const ConnectionProfile& profile, TableListing& listing) {
  std::unique_ptr<adodb::Connection> connection = adodb::CreateConnection();
  connection->Open(BuildConnectionString(profile));
  std::unique_ptr<adodb::Recordset> tables = connection->OpenSchema(adodb::adSchemaTables);
  const int typeField = adodb::FieldIndex(*tables, QStringLiteral("TABLE_TYPE"));
  const int nameField = adodb::FieldIndex(*tables, QStringLiteral("TABLE_NAME"));
  listing.started = true;
  while (!tables->Eof()) {
    if (TextOf(*tables, typeField) == QLatin1String("TABLE")) {
      if (app::Ended()) return;
      QString name = TextOf(*tables, nameField);
      if (IsListedTable(name)) listing.names << std::move(name);
    }
    tables->MoveNext();
  }
  tables->Close();
}

QStringList TableNames(const ConnectionProfile& profile) {
  TableListing listing;
  ReadTableNames(profile, listing);
  return listing.names;
}

QString Bracketed(const QString& name) {
  QString escaped = name;
  escaped.replace(QLatin1String("]"), QLatin1String("]]"));
  return QLatin1Char('[') + escaped + QLatin1Char(']');
}

// The query that reads the whole table is described, not run.
QStringList FieldNames(adodb::Connection& connection, const QString& table) {
  std::unique_ptr<adodb::Recordset> fields =
      connection.Describe(QStringLiteral("SELECT * FROM ") + Bracketed(table));
  QStringList names;
  names.reserve(fields->FieldCount());
  for (int i = 0; i < fields->FieldCount(); ++i) names << fields->FieldName(i);
  fields->Close();
  return names;
}

QStringList FieldNames(const ConnectionProfile& profile, const QString& table) {
  std::unique_ptr<adodb::Connection> connection = adodb::CreateConnection();
  connection->SetMode(adodb::adModeReadWrite);
  connection->Open(BuildConnectionString(profile));
  return FieldNames(*connection, table);
}

}  // namespace MSSQL
