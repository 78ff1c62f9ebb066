#pragma once

// The tables and fields a command names, checked in their database before any job runs, so
// that a name that is not there is one clear line (with the closest names) and nothing is
// written.

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

#include "catalogue/catalogue.h"
#include "cli/console.h"
#include "connections/connection_profile.h"
#include "platform/odbc/adodb.h"

namespace cli {

// One database opened for the checks.
struct CheckedDatabase {
  int number = 1;
  ConnectionProfile login;
  std::unique_ptr<adodb::Connection> connection;
  QString defaultSchema;
  MSSQL::TableListing listing;  // every user table, those whose names hold "sys" too
  bool listed = false;          // whether the listing was asked for
};

// A table as the database names it, with its fields in column order.
struct FoundTable {
  MSSQL::TableName table;
  QStringList fields;
};

// Opens login `number`'s database, read/write, on one login that the job may go on with. The
// empty optional, its failure line written, when the database cannot be opened.
std::optional<CheckedDatabase> OpenForChecks(const ConnectionProfile& login, int number,
                                             Console& console);

// Lists the database's tables on its connection, once (a listing the server refuses stays
// empty).
void ListTables(CheckedDatabase& database);

// The table `typed` names (a text ParseTableArgument accepts). Before the tables are listed,
// the name the server reads as typed; then the listed table of that name or of the default
// schema, letter case aside, else whatever the server reads under the name (a view). The empty
// optional when the server cannot read it: one line with the server's text and the closest
// listed names.
std::optional<FoundTable> FindTable(CheckedDatabase& database, const QString& typed,
                                    Console& console);

// The field of `found` that `typed` names, letter case aside; the empty optional, the message
// written, when it has none.
std::optional<QString> FindField(const CheckedDatabase& database, const FoundTable& found,
                                 const QString& typed, Console& console);

// The database as the login names it, or "Database #2" when it names none.
QString DatabaseName(const CheckedDatabase& database);

// "db2.dbo.Orders": the database, the schema (the default one when the table has none, left
// out when the server names none) and the table.
QString QualifiedName(const CheckedDatabase& database, const MSSQL::TableName& table);

}  // namespace cli
