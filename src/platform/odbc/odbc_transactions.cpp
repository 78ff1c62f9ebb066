// Transactions of the ODBC connection: ADO's BeginTrans, CommitTrans and RollbackTrans, made of
// the connection's commit mode and SQLEndTran, so no statement text of the program changes.

#include "platform/odbc/odbc_api.h"

#include "platform/odbc/odbc_connection.h"

namespace adodb::odbc {
namespace {

// The server's word that a rollback found no transaction open: the server ended it already
// (the test server ends a transaction itself when a statement in it cannot be compiled).
constexpr int kNoTransactionToRollBack = 3903;

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

// A transaction that could not be ended is never committed by turning autocommit back on:
// the connection is closed instead, and the server rolls back what it left open. The failure
// is raised with the driver's own text. A rollback that the server answers with no transaction
// open has nothing left to undo: the connection goes on committing every statement by itself.
void OdbcConnection::EndTransaction(SQLSMALLINT completion) {
  RequireOpen();
  const SQLRETURN ended = SQLEndTran(SQL_HANDLE_DBC, connection_.get(), completion);
  if (!SQL_SUCCEEDED(ended)) {
    const Error error = ErrorOf("SQLEndTran", ended, Handles());
    if (completion != SQL_ROLLBACK || error.NativeCode() != kNoTransactionToRollBack) {
      Close();
      throw error;
    }
  }
  Check(SQLSetConnectAttr(connection_.get(), SQL_ATTR_AUTOCOMMIT, CommitMode(SQL_AUTOCOMMIT_ON),
                          SQL_IS_UINTEGER),
        "SQLSetConnectAttr", Handles());
}

}  // namespace adodb::odbc
