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

}  // namespace append
