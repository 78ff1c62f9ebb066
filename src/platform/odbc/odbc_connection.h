#pragma once

// The connection of the data access objects over ODBC: one connection handle, one statement
// handle per result.

#include <mutex>
#include <optional>
#include <vector>

#include "platform/odbc/adodb.h"
#include "platform/odbc/odbc_handles.h"

namespace adodb::odbc {

class OdbcRecordset;

class OdbcConnection : public Connection {
 public:
  OdbcConnection();
  ~OdbcConnection() override;

  void SetMode(int mode) override;
  void SetCommandTimeout(int seconds) override;
  void SetConnectionTimeout(int seconds) override;
  void SetCursorLocation(int location) override;
  void Open(const QString& connectionString) override;
  std::unique_ptr<Recordset> Execute(const QString& statement) override;
  qint64 ExecuteNoRecords(const QString& statement) override;
  std::unique_ptr<Recordset> Describe(const QString& statement) override;
  void Cancel() override;
  QString DefaultDatabase() override;
  std::unique_ptr<Recordset> OpenSchema(int schema) override;
  std::unique_ptr<Recordset> OpenRecordset(const QString& source, int cursorType,
                                           int lockType) override;
  void BeginTrans() override;
  void CommitTrans() override;
  void RollbackTrans() override;

  // The handles whose diagnostics explain a failure on this connection.
  HandleChain Handles() const;
  // Results register while they live, so that the connection can free their statements.
  void Register(OdbcRecordset* recordset);
  void Unregister(OdbcRecordset* recordset);
  // A result gives its statement back when it goes, its cursor closed. The connection keeps
  // one such statement for its next one, so that a run of statements (one INSERT per row)
  // does not allocate and free a handle for each.
  void Recycle(Handle statement) { Recycle(std::move(statement), std::nullopt); }

  // For tests: the connection handle and the settings kept for later statements.
  SQLHDBC ConnectionHandle() const { return connection_.get(); }
  int CommandTimeout() const { return commandTimeout_; }
  int CursorLocation() const { return cursorLocation_; }

 private:
  void RequireOpen() const;
  // Ends the transaction with `completion` (SQL_COMMIT or SQL_ROLLBACK) and returns to
  // committing every statement by itself.
  void EndTransaction(SQLSMALLINT completion);
  void RequireClosed() const;
  // Ends the session: results still open keep what they read, the statement kept for the next
  // one goes, and every later call finds the connection closed.
  void Close();
  Handle NewStatement();
  // `timeout` is the query time-out the statement is known to carry, if it is known.
  void Recycle(Handle statement, std::optional<int> timeout);
  std::unique_ptr<OdbcRecordset> Run(const QString& statement, Handle handle);
  SQLRETURN ExecDirect(const Handle& handle, const QString& statement);
  void CheckRan(SQLRETURN result, const char* call, const Handle& handle) const;
  std::unique_ptr<OdbcRecordset> ResultOf(Handle statement, SQLRETURN result, const char* call);

  Handle connection_;
  bool open_ = false;
  int commandTimeout_ = 30;
  int cursorLocation_ = 2;  // adUseServer, ADO's default
  std::vector<OdbcRecordset*> recordsets_;
  Handle idleStatement_;
  std::optional<int> idleStatementTimeout_;
  // The statement being run, for a cancel from another thread.
  std::mutex runningMutex_;
  SQLHSTMT running_ = nullptr;
};

}  // namespace adodb::odbc
