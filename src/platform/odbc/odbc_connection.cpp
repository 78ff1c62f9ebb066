#include "platform/odbc/odbc_connection.h"

#include "platform/odbc/odbc_api.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "platform/odbc/ado_errors.h"
#include "platform/odbc/odbc_environment.h"
#include "platform/odbc/odbc_recordset.h"
#include "platform/odbc/odbc_wide.h"

namespace adodb::odbc {
namespace {

constexpr int kDefaultConnectionTimeout = 15;
constexpr int kAdModeRead = 1;
constexpr int kAdModeWrite = 2;

SQLPOINTER Number(SQLULEN value) {
  return reinterpret_cast<SQLPOINTER>(value);
}

}  // namespace

OdbcConnection::OdbcConnection()
    : connection_(Allocate(SQL_HANDLE_DBC, Environment(), {.environment = Environment()})) {
  SetConnectionTimeout(kDefaultConnectionTimeout);
}

OdbcConnection::~OdbcConnection() {
  for (OdbcRecordset* recordset : recordsets_) recordset->Detach();
  idleStatement_.Free();
  if (open_) SQLDisconnect(connection_.get());
}

// Mode: any mode that includes writing (adModeWrite, adModeReadWrite) asks for read/write
// access; adModeRead alone asks for read-only access; other modes leave the driver's default.
void OdbcConnection::SetMode(int mode) {
  RequireClosed();
  SQLULEN access = 0;
  if (mode & kAdModeWrite) {
    access = SQL_MODE_READ_WRITE;
  } else if (mode & kAdModeRead) {
    access = SQL_MODE_READ_ONLY;
  } else {
    return;
  }
  CheckOptional(SQLSetConnectAttr(connection_.get(), SQL_ATTR_ACCESS_MODE, Number(access), 0),
                "SQLSetConnectAttr", Handles());
}

// Applied to every statement run after it is set; 0 means no limit.
void OdbcConnection::SetCommandTimeout(int seconds) {
  if (seconds < 0) throw ArgumentOutOfRange();
  commandTimeout_ = seconds;
}

void OdbcConnection::SetConnectionTimeout(int seconds) {
  RequireClosed();
  if (seconds < 0) throw ArgumentOutOfRange();
  CheckOptional(SQLSetConnectAttr(connection_.get(), SQL_ATTR_LOGIN_TIMEOUT,
                                  Number(static_cast<SQLULEN>(seconds)), 0),
                "SQLSetConnectAttr", Handles());
}

// ODBC has no cursor location. In ADO a client-side cursor reads the whole result into memory
// at once, which leaves the connection free for the next statement. Here every result is read
// forward on demand (so reading only the field names of a table never fetches its rows), and a
// result that still has rows waiting when its connection runs another statement is read into
// memory at that moment (see OdbcRecordset::BufferRemainingRows). Callers read forward only, so
// both locations read the same rows; the setting is kept but changes nothing.
void OdbcConnection::SetCursorLocation(int location) {
  cursorLocation_ = location;
}

void OdbcConnection::Open(const QString& connectionString) {
  RequireClosed();
  const SQLRETURN result = SQLDriverConnectW(connection_.get(), nullptr, ToWide(connectionString),
                                             SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT);
  Check(result, "SQLDriverConnectW", Handles());
  open_ = true;
}

std::unique_ptr<Recordset> OdbcConnection::Execute(const QString& statement) {
  RequireOpen();
  return Run(statement, NewStatement());
}

// A result that is not wanted needs no result object: the statement runs on the connection's
// idle statement, which comes back at once, its cursor closed, still carrying its time-out. An
// append sends one INSERT per row this way.
qint64 OdbcConnection::ExecuteNoRecords(const QString& statement) {
  RequireOpen();
  Handle handle = NewStatement();
  const SQLRETURN result = ExecDirect(handle, statement);
  CheckRan(result, "SQLExecDirectW", handle);
  SQLLEN changed = -1;
  if (result == SQL_NO_DATA) {
    changed = 0;
  } else if (!SQL_SUCCEEDED(SQLRowCount(handle.get(), &changed))) {
    changed = -1;
  }
  SQLFreeStmt(handle.get(), SQL_CLOSE);
  Recycle(std::move(handle), commandTimeout_);
  return changed;
}

// The statement is prepared and its result columns described; it is not run. A driver that
// describes no columns before a statement runs (or refuses to describe it) gets the statement
// run instead, and the columns are those of its result, so that a query is never taken for one
// without fields. A failed prepare throws like a failed run.
std::unique_ptr<Recordset> OdbcConnection::Describe(const QString& statement) {
  RequireOpen();
  Handle handle = NewStatement();
  HandleChain handles = Handles();
  handles.statement = handle.get();
  Check(SQLPrepareW(handle.get(), ToWide(statement), static_cast<SQLINTEGER>(statement.size())),
        "SQLPrepareW", handles);
  SQLSMALLINT columns = 0;
  if (!SQL_SUCCEEDED(SQLNumResultCols(handle.get(), &columns)) || columns <= 0) {
    std::unique_ptr<OdbcRecordset> result = Run(statement, std::move(handle));
    result->DiscardRows();
    return result;
  }
  auto described = std::make_unique<OdbcRecordset>(*this, std::move(handle), true);
  described->DiscardRows();
  return described;
}

// The tables rowset, unrestricted: every table and view with the driver's own column names
// (TABLE_CAT, TABLE_SCHEM, TABLE_NAME, TABLE_TYPE, REMARKS).
std::unique_ptr<Recordset> OdbcConnection::OpenSchema(int schema) {
  RequireOpen();
  if (schema != adSchemaTables) throw SchemaNotSupported();
  Handle handle = NewStatement();
  const SQLRETURN result = SQLTablesW(handle.get(), nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0);
  return ResultOf(std::move(handle), result, "SQLTablesW");
}

// Callers only read forward through names and values, so every cursor and lock type opens the
// same forward-only, read-only result as Execute.
std::unique_ptr<Recordset> OdbcConnection::OpenRecordset(const QString& source, int, int) {
  return Execute(source);
}

HandleChain OdbcConnection::Handles() const {
  return {.connection = connection_.get(), .environment = Environment()};
}

void OdbcConnection::Register(OdbcRecordset* recordset) {
  recordsets_.push_back(recordset);
}

void OdbcConnection::Unregister(OdbcRecordset* recordset) {
  recordsets_.erase(std::remove(recordsets_.begin(), recordsets_.end(), recordset),
                    recordsets_.end());
}

void OdbcConnection::Recycle(Handle statement, std::optional<int> timeout) {
  if (idleStatement_) return;
  idleStatement_ = std::move(statement);
  idleStatementTimeout_ = timeout;
}

void OdbcConnection::RequireOpen() const {
  if (!open_) throw ObjectClosed();
}

void OdbcConnection::Close() {
  for (OdbcRecordset* recordset : recordsets_) recordset->Detach();
  recordsets_.clear();
  idleStatement_.Free();
  SQLDisconnect(connection_.get());
  open_ = false;
}

void OdbcConnection::RequireClosed() const {
  if (open_) throw ObjectOpen();
}

// Drivers such as SQL Server's serve one pending result per connection: results still waiting
// are read into memory first. The statement is the one kept from an earlier result, or a new
// one; it gets the command time-out unless it is known to carry it already.
Handle OdbcConnection::NewStatement() {
  for (OdbcRecordset* recordset : recordsets_) recordset->BufferRemainingRows();
  const std::optional<int> carried = std::exchange(idleStatementTimeout_, std::nullopt);
  Handle statement = idleStatement_ ? std::move(idleStatement_)
                                    : Allocate(SQL_HANDLE_STMT, connection_.get(), Handles());
  if (carried == commandTimeout_) return statement;
  HandleChain handles = Handles();
  handles.statement = statement.get();
  CheckOptional(SQLSetStmtAttr(statement.get(), SQL_ATTR_QUERY_TIMEOUT,
                               Number(static_cast<SQLULEN>(commandTimeout_)), 0),
                "SQLSetStmtAttr", handles);
  return statement;
}

std::unique_ptr<OdbcRecordset> OdbcConnection::Run(const QString& statement, Handle handle) {
  const SQLRETURN result = ExecDirect(handle, statement);
  return ResultOf(std::move(handle), result, "SQLExecDirectW");
}

// The statement is known as the running one while it runs, so that Cancel reaches it and never
// a handle that is freed meanwhile.
SQLRETURN OdbcConnection::ExecDirect(const Handle& handle, const QString& statement) {
  {
    const std::lock_guard lock(runningMutex_);
    running_ = handle.get();
  }
  const SQLRETURN result =
      SQLExecDirectW(handle.get(), ToWide(statement), static_cast<SQLINTEGER>(statement.size()));
  const std::lock_guard lock(runningMutex_);
  running_ = nullptr;
  return result;
}

// The driver keeps the session's database from the server's own word at login and at every
// change: no statement is sent for it.
QString OdbcConnection::DefaultDatabase() {
  RequireOpen();
  SQLWCHAR name[256] = {};
  SQLINTEGER bytes = 0;
  if (!SQL_SUCCEEDED(SQLGetConnectAttrW(connection_.get(), SQL_ATTR_CURRENT_CATALOG, name,
                                        sizeof(name), &bytes))) {
    return {};
  }
  return FromWideBuffer(name, bytes / qsizetype(sizeof(SQLWCHAR)), 256);
}

void OdbcConnection::Cancel() {
  const std::lock_guard lock(runningMutex_);
  if (running_) SQLCancel(running_);
}

// SQL_NO_DATA is success: drivers answer so for statements that touch no rows.
void OdbcConnection::CheckRan(SQLRETURN result, const char* call, const Handle& handle) const {
  if (result == SQL_NO_DATA) return;
  HandleChain handles = Handles();
  handles.statement = handle.get();
  Check(result, call, handles);
}

std::unique_ptr<OdbcRecordset> OdbcConnection::ResultOf(Handle statement, SQLRETURN result,
                                                        const char* call) {
  CheckRan(result, call, statement);
  return std::make_unique<OdbcRecordset>(*this, std::move(statement), result != SQL_NO_DATA);
}

}  // namespace adodb::odbc

namespace adodb {

std::unique_ptr<Connection> CreateOdbcConnection() {
  return std::make_unique<odbc::OdbcConnection>();
}

}  // namespace adodb
