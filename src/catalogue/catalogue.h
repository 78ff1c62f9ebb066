#pragma once

// The tables of a database and the fields of a table, as names. Nothing here knows a window:
// the pages put the names into their lists (shell/table_lists.h), the engines use them as they
// are.

#include <QStringList>

#include "connections/connection_profile.h"

namespace adodb {
class Connection;
}

namespace MSSQL {

// How far a listing of tables got: whether the server began to list them, and the names read.
struct TableListing {
  bool started = false;
  QStringList names;
};

// The user tables of the profile's database, in the order the server lists them: views, system
// tables and every table whose name contains "sys" in any letter case are left out. What was
// read before a failure stays in `listing`; the listing stops early when the program has ended.
void ReadTableNames(const ConnectionProfile& profile, TableListing& listing);
QStringList TableNames(const ConnectionProfile& profile);

// A name as it stands between square brackets: "]" is doubled.
QString Bracketed(const QString& name);

// The field names of a table in column order, read from a query that returns no rows, so a
// large table costs no more than a small one.
QStringList FieldNames(adodb::Connection& connection, const QString& table);
// The same on a connection of its own, opened read/write with the profile.
QStringList FieldNames(const ConnectionProfile& profile, const QString& table);

}  // namespace MSSQL
