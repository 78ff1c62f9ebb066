#pragma once

// A connection that tells the statement log what it sends, passing everything to the
// connection it wraps.

#include <memory>

#include "platform/odbc/adodb.h"
#include "platform/odbc/statement_log.h"

namespace adodb {

class LoggedConnection : public Connection {
 public:
  LoggedConnection(std::unique_ptr<Connection> connection, StatementLog log)
      : connection_(std::move(connection)), log_(std::move(log)) {}

  void SetMode(int mode) override { connection_->SetMode(mode); }
  void SetCommandTimeout(int seconds) override { connection_->SetCommandTimeout(seconds); }
  void SetConnectionTimeout(int seconds) override { connection_->SetConnectionTimeout(seconds); }
  void SetCursorLocation(int location) override { connection_->SetCursorLocation(location); }
  void Open(const QString& connectionString) override;
  std::unique_ptr<Recordset> Execute(const QString& statement) override;
  qint64 ExecuteNoRecords(const QString& statement) override;
  std::unique_ptr<Recordset> Describe(const QString& statement) override;
  void Cancel() override { connection_->Cancel(); }
  QString DefaultDatabase() override { return connection_->DefaultDatabase(); }
  std::unique_ptr<Recordset> OpenSchema(int schema) override;
  std::unique_ptr<Recordset> OpenRecordset(const QString& source, int cursorType,
                                           int lockType) override;
  void BeginTrans() override;
  void CommitTrans() override;
  void RollbackTrans() override;

 private:
  // Runs `send`, then tells the log `text`, the time taken and a failure's SQLSTATE.
  template <class Send>
  auto Logged(const QString& text, Send&& send) -> decltype(send());

  std::unique_ptr<Connection> connection_;
  StatementLog log_;
};

}  // namespace adodb
