#pragma once

// How the rows go into the target, from what the catalogue tells of both tables' columns: by
// position with no column list, as long as every target column takes its value that way; with
// the writable columns named when the target has an identity key (its values are kept) or
// columns the server fills itself (left out together with the source value facing them).

#include "append/append_statements.h"
#include "catalogue/column_facts.h"

namespace append {

InsertTarget PlanInsert(const MSSQL::TableName& table, const MSSQL::TableFacts& source,
                        const MSSQL::TableFacts& target);

}  // namespace append
