#pragma once

// The order in which a copy fills its tables: each after the tables it references, so that a
// row never goes before the row it points to.

#include <vector>

#include "catalogue/table_name.h"

namespace adodb {
class Connection;
}  // namespace adodb

namespace copy {

// `tables` (a bare name is in the session's default schema), each after the tables it
// references by the foreign keys of the session's database; in the order given where they
// reference one another round a cycle, whose rows the server then judges one by one. Throws the
// server's error.
std::vector<MSSQL::TableName> ReferencedFirstOnSession(adodb::Connection& source,
                                                       const std::vector<MSSQL::TableName>& tables);

// `table` with the session's default schema when it names none.
MSSQL::TableName WithSchema(const MSSQL::TableName& table, const QString& defaultSchema);

// The schema a bare name reaches on the session.
QString DefaultSchema(adodb::Connection& connection);

}  // namespace copy
