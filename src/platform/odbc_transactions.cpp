// Transactions of the ODBC connection: ADO's BeginTrans, CommitTrans and RollbackTrans, made of
// the connection's commit mode and SQLEndTran, so no statement text of the program changes.

#include <sqlext.h>

#include "platform/odbc_connection.h"

namespace adodb::odbc {
namespace {

SQLPOINTER CommitMode(SQLULEN mode) {
  return reinterpret_cast<SQLPOINTER>(mode);
}

}  // namespace

void OdbcConnection::BeginTrans() {
  RequireOpen();
  Check(SQLSetConnectAttr(connection_.get(), SQL_ATTR_AUTOCOMMIT, CommitMode(SQL_AUTOCOMMIT_OFF),
                          SQL_IS_UINTEGER),
        "SQLSetConnectAttr", Handles());
}

void OdbcConnection::CommitTrans() {
  EndTransaction(SQL_COMMIT);
}

void OdbcConnection::RollbackTrans() {
  EndTransaction(SQL_ROLLBACK);
}

// Every statement is committed by itself again even when the transaction could not be ended;
// the failure is raised with the driver's own text.
void OdbcConnection::EndTransaction(SQLSMALLINT completion) {
  RequireOpen();
  const auto commitEachStatement = [this] {
    return SQLSetConnectAttr(connection_.get(), SQL_ATTR_AUTOCOMMIT, CommitMode(SQL_AUTOCOMMIT_ON),
                             SQL_IS_UINTEGER);
  };
  try {
    Check(SQLEndTran(SQL_HANDLE_DBC, connection_.get(), completion), "SQLEndTran", Handles());
  } catch (...) {
    commitEachStatement();
    throw;
  }
  Check(commitEachStatement(), "SQLSetConnectAttr", Handles());
}

}  // namespace adodb::odbc
