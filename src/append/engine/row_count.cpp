#include "append/engine/row_count.h"

#include "append/ways/append_statements.h"

namespace append {
namespace {

qint64 CountOf(adodb::Connection& connection, const QString& statement) {
  const std::unique_ptr<adodb::Recordset> result = adodb::ExecuteForOneRow(connection, statement);
  return result->Eof() ? qint64(0) : result->FieldValue(0).text.toLongLong();
}

}  // namespace

qint64 CountRows(adodb::Connection& connection, const MSSQL::TableName& table, bool& big,
                 const QString& where) {
  if (big) {
    try {
      return CountOf(connection, CountStatement(table, true, where));
    } catch (const adodb::Error& error) {
      if (error.ConnectionLost()) throw;
    }
    big = false;
  }
  return CountOf(connection, CountStatement(table, false, where));
}

qint64 CountRowsAfterWriters(adodb::Connection& connection, const MSSQL::TableName& table) {
  try {
    return CountOf(connection,
                   CountStatement(table, true) + QStringLiteral(" WITH (TABLOCK, HOLDLOCK)"));
  } catch (const adodb::Error& error) {
    if (error.ConnectionLost()) throw;
  }
  bool big = true;
  return CountRows(connection, table, big);
}

}  // namespace append
