#pragma once

// The scripts that make a copy's new tables whole, read for the whole copy in a few statements:
// each table to make gets its script, and its foreign keys are kept where they reference a
// table of the copy or one the target's database has already.

#include <QString>
#include <vector>

#include "catalogue/table_name.h"
#include "copy/table_script.h"

namespace adodb {
class Connection;
}  // namespace adodb

namespace copy {

struct TableToMake {
  MSSQL::TableName source;  // with its schema, as the source's server names it
  MSSQL::TableName target;
};

// One script a table to make, in the order given. `copied`: every source table of the copy,
// made or not. Throws the server's error.
std::vector<TableScript> ScriptsOf(adodb::Connection& source, adodb::Connection& target,
                                   const std::vector<TableToMake>& tables,
                                   const std::vector<MSSQL::TableName>& copied);

// The collation of the connection's database, which a new table's columns need not name.
QString DatabaseCollation(adodb::Connection& connection);

}  // namespace copy
