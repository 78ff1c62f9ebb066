#pragma once

// The tables of a database and the fields of a table, as names. Nothing here knows a window:
// the pages put the names into their lists (shell/table_lists.h), the engines use them as they
// are.

#include <QStringList>

#include <vector>

#include "catalogue/table_name.h"
#include "connections/connection_profile.h"

namespace adodb {
class Connection;
}

namespace MSSQL {

// How far a listing of tables got: whether the server began to list them, and the tables read
// with the names the lists show for them.
struct TableListing {
  bool started = false;
  QStringList names;
  std::vector<TableName> tables;
};

// The user tables of the profile's database, in the order the server lists them: views, system
// tables and every table whose name contains "sys" in any letter case are left out (`all` keeps
// the latter). A table outside the login's default schema carries its schema. What was read
// before a failure stays in `listing`; the listing stops early when the program has ended.
void ReadTableNames(const ConnectionProfile& profile, TableListing& listing, bool all = false);
// The same on an open connection whose login's default schema is `defaultSchema`.
void ReadTableNames(adodb::Connection& connection, const QString& defaultSchema,
                    TableListing& listing, bool all = false);
QStringList TableNames(const ConnectionProfile& profile, bool all = false);
std::vector<TableName> Tables(const ConnectionProfile& profile, bool all = false);

// The table a name typed as the lists show it denotes ("schema.table" outside the default
// schema): the listed table of that name, letter case aside, or the name as it stands. Only a
// name with a "." needs the profile's listing.
TableName TypedTable(const ConnectionProfile& profile, const QString& typed);

// A name as it stands between square brackets: "]" is doubled.
QString Bracketed(const QString& name);
// Text as an N'...' literal, quotes doubled.
QString NationalLiteral(const QString& text);

// The field names of a table in column order, read from a query that returns no rows, so a
// large table costs no more than a small one.
QStringList FieldNames(adodb::Connection& connection, const TableName& table);
// The same on a connection of its own, opened read/write with the profile.
QStringList FieldNames(const ConnectionProfile& profile, const TableName& table);

// The login's default schema, or none when the server cannot name it.
QString DefaultSchema(adodb::Connection& connection);
// The session's database (DB_NAME()), or none when the server cannot name it.
QString CurrentDatabase(adodb::Connection& connection);

}  // namespace MSSQL
