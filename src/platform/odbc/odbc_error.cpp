#include "platform/odbc/odbc_error.h"

#include "platform/odbc/odbc_api.h"

#include <QStringList>
#include <algorithm>
#include <climits>
#include <optional>
#include <vector>

#include "platform/odbc/odbc_wide.h"

namespace adodb::odbc {
namespace {

struct DiagnosticRecord {
  QString state;
  int nativeCode = 0;
  QString text;
};

std::optional<DiagnosticRecord> ReadRecord(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT number) {
  SQLWCHAR state[SQL_SQLSTATE_SIZE + 1] = {};
  SQLINTEGER native = 0;
  std::vector<SQLWCHAR> text(512);
  SQLSMALLINT length = 0;
  SQLRETURN result = SQLGetDiagRecW(type, handle, number, state, &native, text.data(),
                                    static_cast<SQLSMALLINT>(text.size()), &length);
  if (result == SQL_SUCCESS_WITH_INFO && length >= static_cast<SQLSMALLINT>(text.size())) {
    text.resize(std::min<size_t>(size_t(length) + 1, SHRT_MAX));
    result = SQLGetDiagRecW(type, handle, number, state, &native, text.data(),
                            static_cast<SQLSMALLINT>(text.size()), &length);
  }
  if (!SQL_SUCCEEDED(result)) return std::nullopt;
  return DiagnosticRecord{FromWide(state), static_cast<int>(native),
                          FromWideBuffer(text.data(), length, qsizetype(text.size()))};
}

void Collect(SQLSMALLINT type, SQLHANDLE handle, std::vector<DiagnosticRecord>& records) {
  if (handle == SQL_NULL_HANDLE) return;
  for (SQLSMALLINT number = 1; number < SHRT_MAX; ++number) {
    std::optional<DiagnosticRecord> record = ReadRecord(type, handle, number);
    if (!record) return;
    records.push_back(std::move(*record));
  }
}

bool IsUnsupportedOption(const Error& error) {
  const QString& state = error.SqlState();
  return state == QLatin1String("HYC00") || state == QLatin1String("HY092") ||
         state == QLatin1String("IM001");
}

// Whether the driver holds the connection for dead; a driver that cannot tell says no.
bool ConnectionDead(SQLHDBC connection) {
  SQLUINTEGER dead = SQL_CD_FALSE;
  const SQLRETURN result =
      SQLGetConnectAttr(connection, SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr);
  return SQL_SUCCEEDED(result) && dead == SQL_CD_TRUE;
}

// A statement that failed on a connection that is gone: SQLSTATE class 08 (connection exception)
// but 08004 (the server refused a database, as a USE of a missing one does: the connection
// still serves), or a connection the driver reports dead. FreeTDS answers the first statement after
// the server ended a session with HY000 "Unknown error", and only then holds the connection for
// dead.
bool LostConnection(const std::vector<DiagnosticRecord>& records, const HandleChain& handles) {
  if (handles.statement == SQL_NULL_HSTMT || handles.connection == SQL_NULL_HDBC) return false;
  const bool connectionException = std::any_of(records.begin(), records.end(), [](const auto& r) {
    return r.state.startsWith(QLatin1String("08")) && r.state != QLatin1String("08004");
  });
  return connectionException || ConnectionDead(handles.connection);
}

}  // namespace

Error ErrorOf(const char* call, SQLRETURN result, const HandleChain& handles) {
  std::vector<DiagnosticRecord> records;
  Collect(SQL_HANDLE_STMT, handles.statement, records);
  Collect(SQL_HANDLE_DBC, handles.connection, records);
  Collect(SQL_HANDLE_ENV, handles.environment, records);
  if (records.empty()) {
    return Error(QStringLiteral("%1 failed (return code %2) without a diagnostic record.")
                     .arg(QLatin1String(call))
                     .arg(result),
                 QString(), 0);
  }
  // A driver that tries a server twice may say the same twice: each text is told once.
  QStringList texts;
  for (const DiagnosticRecord& record : records) {
    if (!texts.contains(record.text)) texts << record.text;
  }
  return Error(texts.join(QLatin1Char('\n')), records.front().state, records.front().nativeCode,
               LostConnection(records, handles));
}

void Check(SQLRETURN result, const char* call, const HandleChain& handles) {
  if (!SQL_SUCCEEDED(result)) throw ErrorOf(call, result, handles);
}

void CheckOptional(SQLRETURN result, const char* call, const HandleChain& handles) {
  if (SQL_SUCCEEDED(result)) return;
  Error error = ErrorOf(call, result, handles);
  if (!IsUnsupportedOption(error)) throw error;
}

}  // namespace adodb::odbc
