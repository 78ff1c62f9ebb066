#include "platform/odbc/logged_connection.h"

#include <QElapsedTimer>

namespace adodb {

template <class Send>
auto LoggedConnection::Logged(const QString& text, Send&& send) -> decltype(send()) {
  QElapsedTimer timer;
  timer.start();
  try {
    if constexpr (std::is_void_v<decltype(send())>) {
      send();
      log_({text, timer.elapsed(), {}});
    } else {
      auto result = send();
      log_({text, timer.elapsed(), {}});
      return result;
    }
  } catch (const Error& error) {
    log_({text, timer.elapsed(),
          error.SqlState().isEmpty() ? QStringLiteral("HY000") : error.SqlState()});
    throw;
  }
}

void LoggedConnection::Open(const QString& connectionString) {
  // The login's text holds the password: only that a login was made is told.
  Logged(QStringLiteral("(login)"), [&] { connection_->Open(connectionString); });
}

std::unique_ptr<Recordset> LoggedConnection::Execute(const QString& statement) {
  return Logged(statement, [&] { return connection_->Execute(statement); });
}

qint64 LoggedConnection::ExecuteNoRecords(const QString& statement) {
  return Logged(statement, [&] { return connection_->ExecuteNoRecords(statement); });
}

std::unique_ptr<Recordset> LoggedConnection::Describe(const QString& statement) {
  return Logged(QStringLiteral("(describe) ") + statement,
                [&] { return connection_->Describe(statement); });
}

std::unique_ptr<Recordset> LoggedConnection::OpenSchema(int schema) {
  return Logged(QStringLiteral("(the driver's list of tables)"),
                [&] { return connection_->OpenSchema(schema); });
}

std::unique_ptr<Recordset> LoggedConnection::OpenRecordset(const QString& source, int cursorType,
                                                           int lockType) {
  return Logged(source, [&] { return connection_->OpenRecordset(source, cursorType, lockType); });
}

void LoggedConnection::BeginTrans() {
  Logged(QStringLiteral("BEGIN TRANSACTION"), [&] { connection_->BeginTrans(); });
}

void LoggedConnection::CommitTrans() {
  Logged(QStringLiteral("COMMIT"), [&] { connection_->CommitTrans(); });
}

void LoggedConnection::RollbackTrans() {
  Logged(QStringLiteral("ROLLBACK"), [&] { connection_->RollbackTrans(); });
}

}  // namespace adodb
