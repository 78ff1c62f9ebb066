#pragma once

#include <memory>

#include "platform/odbc/adodb.h"
#include "support/fake_state.h"
#include "support/fake_statements.h"

namespace fake {

// A forward-only recordset over a statement's result, fetched lazily: a row is counted in
// the server's RowsFetched when Eof, a value or MoveNext first reaches it.
std::unique_ptr<adodb::Recordset> NewRecordset(std::shared_ptr<ServerState> state, Result result);

}  // namespace fake
