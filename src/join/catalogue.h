#pragma once

// Lists the user tables of a database and the fields of a table.

#include <QStringList>

#include "connections/connection_profile.h"

class QListWidget;
namespace adodb {
class Connection;
}

namespace MSSQL {

// Clears the list and adds the user tables of the profile's database: views, system tables and
// every table whose name contains "sys" in any letter case are left out. The window processes
// pending events once per table row.
void FillTableList(QListWidget& list, const ConnectionProfile& profile);
// The same names, without a list: the user tables of the database the connection has open.
QStringList TableNames(adodb::Connection& connection);
void FillTableList1(QListWidget& list, const ConnectionProfiles& profiles);
void FillTableList2(QListWidget& list, const ConnectionProfiles& profiles);

// A name as it stands between square brackets: "]" is doubled.
QString Bracketed(const QString& name);

// The field names of a table in column order, read from a query that returns no rows, so a
// large table costs no more than a small one.
QStringList FieldNames(adodb::Connection& connection, const QString& table);

}  // namespace MSSQL
