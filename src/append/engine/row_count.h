#pragma once

// A table's rows, counted by the server.

#include <QtGlobal>

#include "catalogue/table_name.h"
#include "platform/odbc/adodb.h"

namespace append {

// COUNT_BIG(*), as SQL Server counts tables of any size; a server without it (`big` false, or
// refusing it) is asked for COUNT(*), and `big` remembers that. A lost connection is not asked
// again. Only the rows for which `where` holds are counted, when it is given. Runs where the
// connection's statements run (on the worker).
qint64 CountRows(adodb::Connection& connection, const MSSQL::TableName& table, bool& big,
                 const QString& where = {});

// The same, once every statement writing the table has ended: a shared lock on the whole table
// waits for them, so that rows a statement still running is about to commit are counted (the
// copy of a program that was killed runs on to its end). A server that refuses the hint counts
// as it can.
qint64 CountRowsAfterWriters(adodb::Connection& connection, const MSSQL::TableName& table);

}  // namespace append
