#pragma once

// How the rows go into the target, from what the catalogue tells of both tables' columns: by
// position with no column list, as long as every target column takes its value that way; with
// the writable columns named when the target has an identity key (its values are kept) or
// columns the server fills itself (left out together with the source value facing them).

#include "append/ways/append_statements.h"
#include "catalogue/column_facts.h"

namespace append {

InsertTarget PlanInsert(const MSSQL::TableName& table, const MSSQL::TableFacts& source,
                        const MSSQL::TableFacts& target);

// By name, for tables with the same columns in another order: the target's written columns
// named, each taking the value of the source column of its name; the server's own copy selects
// those source columns by name too.
InsertTarget PlanInsertByName(const MSSQL::TableName& table, const MSSQL::TableFacts& source,
                              const MSSQL::TableFacts& target);

}  // namespace append
