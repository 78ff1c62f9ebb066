#include "odbc_fixture.h"

std::unique_ptr<adodb::Connection> OdbcTest::Connect(const QString& options) const {
  std::unique_ptr<adodb::Connection> connection = adodb::CreateOdbcConnection();
  connection->Open(SqliteOdbc::ConnectionString(database_) + options);
  return connection;
}

std::vector<std::vector<adodb::Value>> OdbcTest::Select(const QString& sql) const {
  std::unique_ptr<adodb::Connection> connection = Connect();
  std::unique_ptr<adodb::Recordset> rows = connection->Execute(sql);
  return ReadRows(*rows);
}

adodb::Value OdbcTest::SelectOne(const QString& sql) const {
  const std::vector<std::vector<adodb::Value>> rows = Select(sql);
  if (rows.size() != 1 || rows.front().size() != 1) {
    ADD_FAILURE() << "expected one value from " << sql.toStdString();
    return adodb::Value::Null();
  }
  return rows.front().front();
}

QStringList FieldNames(const adodb::Recordset& rows) {
  QStringList names;
  for (int i = 0; i < rows.FieldCount(); ++i) names << rows.FieldName(i);
  return names;
}
