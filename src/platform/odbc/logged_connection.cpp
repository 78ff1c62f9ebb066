#include "platform/odbc/logged_connection.h"

#include <QElapsedTimer>

namespace adodb {
namespace {

// The rows' values stay out of the log: an INSERT of values is told up to its VALUES.
QString WithoutValues(const QString& statement) {
  if (!statement.startsWith(QLatin1String("INSERT"), Qt::CaseInsensitive)) return statement;
  const qsizetype values = statement.indexOf(QLatin1String(" VALUES"), 0, Qt::CaseInsensitive);
  if (values < 0) return statement;
  return statement.left(values + 7) + QStringLiteral(" ...");
}

}  // namespace

template <class Send>
auto LoggedConnection::Logged(const QString& text, Send&& send) -> decltype(send()) {
  QElapsedTimer timer;
  timer.start();
  try {
    if constexpr (std::is_void_v<decltype(send())>) {
      send();
      log_({WithoutValues(text), timer.elapsed(), {}});
    } else {
      auto result = send();
      log_({WithoutValues(text), timer.elapsed(), {}});
      return result;
    }
  } catch (const Error& error) {
    log_({WithoutValues(text), timer.elapsed(),
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
