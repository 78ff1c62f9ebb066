#include "join/catalogue.h"

#include <QListWidget>
#include <QScopeGuard>
#include <functional>

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

// Adds the user tables to `names` as the rowset gives them; `listingStarts` runs once the
// rowset is open. A failure part-way leaves the names read so far.
void ReadTableNames(adodb::Connection& connection, QStringList& names,
                    const std::function<void()>& listingStarts) {
  std::unique_ptr<adodb::Recordset> tables = connection.OpenSchema(adodb::adSchemaTables);
  const int typeField = adodb::FieldIndex(*tables, QStringLiteral("TABLE_TYPE"));
  const int nameField = adodb::FieldIndex(*tables, QStringLiteral("TABLE_NAME"));
  listingStarts();
  while (!tables->Eof()) {
    if (TextOf(*tables, typeField) == QLatin1String("TABLE")) {
      if (!app::YieldToWindow()) return;
      QString name = TextOf(*tables, nameField);
      if (IsListedTable(name)) names << std::move(name);
    }
    tables->MoveNext();
  }
  tables->Close();
}

}  // namespace

void FillTableList(QListWidget& list, const ConnectionProfile& profile) {
  std::unique_ptr<adodb::Connection> connection = adodb::CreateConnection();
  connection->Open(BuildConnectionString(profile));
  // The names go into the list together; a failure part-way still leaves those read so far.
  QStringList names;
  const auto addNames = qScopeGuard([&] { list.addItems(names); });
  ReadTableNames(*connection, names, [&] { list.clear(); });
}

QStringList TableNames(adodb::Connection& connection) {
  QStringList names;
  ReadTableNames(connection, names, [] {});
  return names;
}

void FillTableList1(QListWidget& list, const ConnectionProfiles& profiles) {
  FillTableList(list, profiles.Profile1());
}

void FillTableList2(QListWidget& list, const ConnectionProfiles& profiles) {
  FillTableList(list, profiles.Profile2());
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

}  // namespace MSSQL
