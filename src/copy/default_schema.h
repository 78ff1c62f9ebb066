#pragma once

// Names of a copy's tables as a session reads them: a bare name is in the login's default
// schema.

#include <vector>

#include "catalogue/table_name.h"

namespace adodb {
class Connection;
}  // namespace adodb

namespace copy {

// `table` with the session's default schema when it names none.
MSSQL::TableName WithSchema(const MSSQL::TableName& table, const QString& defaultSchema);

// The schema a bare name reaches on the session.
QString DefaultSchema(adodb::Connection& connection);

}  // namespace copy
