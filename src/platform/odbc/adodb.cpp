#include "platform/odbc/adodb.h"

#include <cstring>

#include "platform/error.h"
#include "platform/odbc/logged_connection.h"
#include "platform/odbc/statement_log.h"

namespace adodb {
namespace {

// Empties a text or byte array and keeps its storage; an empty one is left alone.
template <class Array>
void Empty(Array& array) {
  if (!array.isEmpty()) array.resize(0);
}

// `size` bytes into `array`, resized to `count` elements in the storage it has when that serves.
template <class Array>
void Fill(Array& array, qsizetype count, const void* from, std::size_t size) {
  array.resize(count);
  if (size > 0) std::memcpy(static_cast<void*>(array.data()), from, size);
}

ConnectionProvider& Provider() {
  static ConnectionProvider provider;
  return provider;
}

StatementLog& Log() {
  static StatementLog log;
  return log;
}
}  // namespace

void Value::SetNull() {
  kind = Kind::Null;
  Empty(text);
  Empty(bytes);
}

void Value::SetText(QString newText) {
  kind = Kind::Text;
  text = std::move(newText);
  Empty(bytes);
}

void Value::SetText(QLatin1StringView latin1) {
  kind = Kind::Text;
  text = latin1;
  Empty(bytes);
}

void Value::SetUtf16Text(const void* units, qsizetype count) {
  kind = Kind::Text;
  Fill(text, count, units, static_cast<std::size_t>(count) * sizeof(char16_t));
  Empty(bytes);
}

void Value::SetBytes(const void* from, qsizetype count) {
  kind = Kind::Binary;
  Empty(text);
  Fill(bytes, count, from, static_cast<std::size_t>(count));
}

void Connection::BeginTrans() {
  throw platform::Error(QStringLiteral("This connection cannot keep a transaction."));
}

void Connection::CommitTrans() {
  throw platform::Error(QStringLiteral("No transaction is open on this connection."));
}

void Connection::RollbackTrans() {
  throw platform::Error(QStringLiteral("No transaction is open on this connection."));
}

int FieldIndex(const Recordset& recordset, const QString& name) {
  for (int i = 0; i < recordset.FieldCount(); ++i) {
    if (recordset.FieldName(i).compare(name, Qt::CaseInsensitive) == 0) return i;
  }
  return -1;
}

// A cancel that reached the driver as the previous statement ended may cut the next result
// short: a statement that always gives a row and gave none is sent again, a few times.
std::unique_ptr<Recordset> ExecuteForOneRow(Connection& connection, const QString& statement) {
  constexpr int kTries = 3;
  std::unique_ptr<Recordset> result = connection.Execute(statement);
  for (int tried = 1; tried < kTries && result->Eof(); ++tried) {
    result = connection.Execute(statement);
  }
  return result;
}

std::unique_ptr<Connection> CreateConnection() {
  std::unique_ptr<Connection> connection = Provider() ? Provider()() : CreateOdbcConnection();
  if (!Log()) return connection;
  return std::make_unique<LoggedConnection>(std::move(connection), Log());
}

void SetStatementLog(StatementLog log) {
  Log() = std::move(log);
}

// HYT00: a statement's time-out expired; HYT01: the login's.
bool IsTimeout(const QString& sqlState) {
  return sqlState == QLatin1String("HYT00") || sqlState == QLatin1String("HYT01");
}

void SetConnectionProvider(ConnectionProvider provider) {
  Provider() = std::move(provider);
}

}  // namespace adodb
