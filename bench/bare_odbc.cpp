#include "bare_odbc.h"

#include <sqlext.h>
#include <sqlucode.h>

#include <stdexcept>

namespace bench {
namespace {

SQLWCHAR* Wide(const QString& text) {
  return const_cast<SQLWCHAR*>(reinterpret_cast<const SQLWCHAR*>(text.utf16()));
}

QString Diagnostics(SQLSMALLINT type, SQLHANDLE handle) {
  QString text;
  SQLCHAR state[6] = {};
  SQLCHAR message[1024] = {};
  SQLINTEGER native = 0;
  SQLSMALLINT length = 0;
  for (SQLSMALLINT record = 1; SQL_SUCCEEDED(
           SQLGetDiagRec(type, handle, record, state, &native, message, sizeof message, &length));
       ++record) {
    text += QString::fromLocal8Bit(reinterpret_cast<const char*>(message)) + QLatin1Char('\n');
  }
  return text;
}

}  // namespace

BareOdbc::BareOdbc(const QString& connectionString) : buffer_(4096) {
  SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &environment_);
  SQLSetEnvAttr(environment_, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
  Check(SQLAllocHandle(SQL_HANDLE_DBC, environment_, &connection_), SQL_HANDLE_ENV, environment_,
        "SQLAllocHandle");
  Check(SQLDriverConnectW(connection_, nullptr, Wide(connectionString), SQL_NTS, nullptr, 0,
                          nullptr, SQL_DRIVER_NOPROMPT),
        SQL_HANDLE_DBC, connection_, "SQLDriverConnectW");
  Check(SQLAllocHandle(SQL_HANDLE_STMT, connection_, &statement_), SQL_HANDLE_DBC, connection_,
        "SQLAllocHandle");
}

BareOdbc::~BareOdbc() {
  if (statement_) SQLFreeHandle(SQL_HANDLE_STMT, statement_);
  if (connection_) {
    SQLDisconnect(connection_);
    SQLFreeHandle(SQL_HANDLE_DBC, connection_);
  }
  if (environment_) SQLFreeHandle(SQL_HANDLE_ENV, environment_);
}

void BareOdbc::Execute(const QString& statement) {
  const SQLRETURN result =
      SQLExecDirectW(statement_, Wide(statement), static_cast<SQLINTEGER>(statement.size()));
  if (result != SQL_NO_DATA) Check(result, SQL_HANDLE_STMT, statement_, "SQLExecDirectW");
  SQLFreeStmt(statement_, SQL_CLOSE);
}

long long BareOdbc::ReadAll(const QString& select) {
  Check(SQLExecDirectW(statement_, Wide(select), static_cast<SQLINTEGER>(select.size())),
        SQL_HANDLE_STMT, statement_, "SQLExecDirectW");
  SQLSMALLINT columns = 0;
  SQLNumResultCols(statement_, &columns);
  long long rows = 0;
  for (SQLRETURN fetched = SQLFetch(statement_); fetched != SQL_NO_DATA;
       fetched = SQLFetch(statement_)) {
    Check(fetched, SQL_HANDLE_STMT, statement_, "SQLFetch");
    for (SQLUSMALLINT column = 1; column <= columns; ++column) ReadText(column);
    ++rows;
  }
  SQLFreeStmt(statement_, SQL_CLOSE);
  return rows;
}

QString BareOdbc::Scalar(const QString& select) {
  Check(SQLExecDirectW(statement_, Wide(select), static_cast<SQLINTEGER>(select.size())),
        SQL_HANDLE_STMT, statement_, "SQLExecDirectW");
  QString value;
  if (SQLFetch(statement_) == SQL_SUCCESS) value = ReadText(1);
  SQLFreeStmt(statement_, SQL_CLOSE);
  return value;
}

QStringList BareOdbc::UserTables() {
  Check(SQLTablesW(statement_, nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0), SQL_HANDLE_STMT,
        statement_, "SQLTablesW");
  QStringList tables;
  for (SQLRETURN fetched = SQLFetch(statement_); fetched != SQL_NO_DATA;
       fetched = SQLFetch(statement_)) {
    Check(fetched, SQL_HANDLE_STMT, statement_, "SQLFetch");
    const QString name = ReadText(3);
    if (ReadText(4) != QLatin1String("TABLE")) continue;
    if (!name.contains(QLatin1String("SYS"), Qt::CaseInsensitive)) tables << name;
  }
  SQLFreeStmt(statement_, SQL_CLOSE);
  return tables;
}

long long BareOdbc::CopyRows(BareOdbc& target, const QString& select, const QString& table,
                             int batchRows) {
  Check(SQLExecDirectW(statement_, Wide(select), static_cast<SQLINTEGER>(select.size())),
        SQL_HANDLE_STMT, statement_, "SQLExecDirectW");
  SQLSMALLINT columns = 0;
  SQLNumResultCols(statement_, &columns);
  const QString head = QStringLiteral("INSERT INTO ") + table + QStringLiteral(" VALUES");
  QStringList statements;
  QString statement = head;
  long long rows = 0;
  int waiting = 0;
  const auto send = [&] {
    if (batchRows == 1) {
      statements << statement;
    } else {
      target.Execute(statement);
    }
    statement = head;
    waiting = 0;
  };
  for (SQLRETURN fetched = SQLFetch(statement_); fetched != SQL_NO_DATA;
       fetched = SQLFetch(statement_)) {
    Check(fetched, SQL_HANDLE_STMT, statement_, "SQLFetch");
    statement += waiting == 0 ? QStringLiteral("(") : QStringLiteral(", (");
    for (SQLUSMALLINT column = 1; column <= columns; ++column) {
      if (column > 1) statement += QStringLiteral(", ");
      AppendLiteral(column, statement);
    }
    statement += QLatin1Char(')');
    ++rows;
    if (++waiting == batchRows) send();
  }
  SQLFreeStmt(statement_, SQL_CLOSE);
  if (waiting > 0) send();
  for (const QString& one : statements) target.Execute(one);
  return rows;
}

void BareOdbc::AppendLiteral(SQLUSMALLINT column, QString& statement) {
  SQLLEN indicator = 0;
  Check(SQLGetData(statement_, column, SQL_C_WCHAR, buffer_.data(),
                   static_cast<SQLLEN>(buffer_.size() * sizeof(SQLWCHAR)), &indicator),
        SQL_HANDLE_STMT, statement_, "SQLGetData");
  if (indicator == SQL_NULL_DATA) {
    statement += QStringLiteral("NULL");
    return;
  }
  statement += QStringLiteral("N'");
  statement += QString::fromUtf16(reinterpret_cast<const char16_t*>(buffer_.data()))
                   .replace(QLatin1Char('\''), QLatin1String("''"));
  statement += QLatin1Char('\'');
}

// One value as wide text, in a buffer kept for the whole connection; values that do not fit
// it are cut, which no value of the benchmarks is long enough for.
QString BareOdbc::ReadText(SQLUSMALLINT column) {
  SQLLEN indicator = 0;
  const SQLRETURN result =
      SQLGetData(statement_, column, SQL_C_WCHAR, buffer_.data(),
                 static_cast<SQLLEN>(buffer_.size() * sizeof(SQLWCHAR)), &indicator);
  Check(result, SQL_HANDLE_STMT, statement_, "SQLGetData");
  if (indicator == SQL_NULL_DATA) return {};
  return QString::fromUtf16(reinterpret_cast<const char16_t*>(buffer_.data()));
}

void BareOdbc::Check(SQLRETURN result, SQLSMALLINT type, SQLHANDLE handle, const char* call) const {
  if (SQL_SUCCEEDED(result)) return;
  throw std::runtime_error(std::string(call) +
                           " failed: " + Diagnostics(type, handle).toStdString());
}

}  // namespace bench
