#include "copy/copy_scripts.h"

#include <algorithm>

#include "copy/script_sending.h"
#include "copy/whole_table.h"
#include "platform/error.h"
#include "platform/odbc/adodb.h"

namespace copy {
namespace {

bool SameTable(const MSSQL::TableName& a, const MSSQL::TableName& b) {
  return a.schema.compare(b.schema, Qt::CaseInsensitive) == 0 &&
         a.name.compare(b.name, Qt::CaseInsensitive) == 0;
}

bool Copied(const std::vector<MSSQL::TableName>& copied, const MSSQL::TableName& table) {
  return std::any_of(copied.begin(), copied.end(),
                     [&](const MSSQL::TableName& one) { return SameTable(one, table); });
}

const WholeTable& WholeOf(const std::vector<WholeTable>& read, const MSSQL::TableName& table) {
  const auto found = std::find_if(read.begin(), read.end(), [&](const WholeTable& whole) {
    return SameTable(whole.name, table);
  });
  if (found == read.end()) {
    throw platform::Error(QStringLiteral("The columns of the table ") + table.Display() +
                          QStringLiteral(" cannot be read."));
  }
  return *found;
}

}  // namespace

std::vector<TableScript> ScriptsOf(adodb::Connection& source, adodb::Connection& target,
                                   const std::vector<TableToMake>& tables,
                                   const std::vector<MSSQL::TableName>& copied) {
  if (tables.empty()) return {};
  std::vector<MSSQL::TableName> sources;
  for (const TableToMake& table : tables) sources.push_back(table.source);
  const std::vector<WholeTable> read = ReadWholeTables(source, sources);
  const QString collation = DatabaseCollation(target);
  const auto inTarget = [&](const MSSQL::TableName& referenced) {
    return Copied(copied, referenced) || TableIsThere(target, referenced);
  };
  std::vector<TableScript> scripts;
  for (const TableToMake& table : tables) {
    scripts.push_back(ScriptOf(WholeOf(read, table.source), table.target, collation, inTarget));
  }
  return scripts;
}

QString DatabaseCollation(adodb::Connection& connection) {
  const std::unique_ptr<adodb::Recordset> row = connection.Execute(
      QStringLiteral("SELECT CAST(DATABASEPROPERTYEX(DB_NAME(), 'Collation') AS nvarchar(128))"));
  return row->Eof() || row->FieldValue(0).IsNull() ? QString() : row->FieldValue(0).text;
}

}  // namespace copy
