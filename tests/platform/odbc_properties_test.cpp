// Connection properties set before Open reach the driver manager, which hands them to the
// driver. The SQLite driver ignores all three (access mode, login time-out, query time-out), so
// the driver manager's trace and its answers before Open show what was handed over.

#include <gtest/gtest.h>
#include <sql.h>
#include <sqlext.h>

#include <QFile>
#include <QRegularExpression>

#include "odbc_fixture.h"
#include "platform/odbc/odbc_connection.h"

using adodb::odbc::OdbcConnection;

namespace {

OdbcConnection& Odbc(adodb::Connection& connection) {
  return dynamic_cast<OdbcConnection&>(connection);
}

SQLULEN ConnectAttribute(adodb::Connection& connection, SQLINTEGER attribute) {
  SQLULEN value = 0;
  EXPECT_TRUE(SQL_SUCCEEDED(
      SQLGetConnectAttr(Odbc(connection).ConnectionHandle(), attribute, &value, 0, nullptr)));
  return value;
}

// The driver manager's trace, started and stopped through a connection handle: every call the
// program makes, with the attribute values it hands over.
class DriverManagerTrace {
 public:
  DriverManagerTrace(adodb::Connection& connection, const QString& path)
      : handle_(Odbc(connection).ConnectionHandle()), path_(path) {
    const QByteArray file = QFile::encodeName(path);
    SQLSetConnectAttr(handle_, SQL_ATTR_TRACEFILE, const_cast<char*>(file.constData()), SQL_NTS);
    SQLSetConnectAttr(handle_, SQL_ATTR_TRACE, reinterpret_cast<SQLPOINTER>(SQL_OPT_TRACE_ON), 0);
  }
  ~DriverManagerTrace() { Stop(); }

  void Stop() {
    if (handle_) {
      SQLSetConnectAttr(handle_, SQL_ATTR_TRACE, reinterpret_cast<SQLPOINTER>(SQL_OPT_TRACE_OFF),
                        0);
    }
    handle_ = nullptr;
  }

  // The values set for an attribute, in order ("0x1388"; "(nil)" for 0).
  QStringList ValuesOf(const QString& attribute) const {
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QString text = QString::fromUtf8(file.readAll());
    const QRegularExpression entry(
        QStringLiteral("\\[SQLSet(?:Connect|Stmt)Attr\\.c\\]\\[\\d+\\]\\s+Entry:\\s+\\w+ = \\S+\\s+"
                       "Attribute = %1\\s+Value = (\\S+)")
            .arg(QRegularExpression::escape(attribute)));
    QStringList values;
    for (const QRegularExpressionMatch& match : entry.globalMatch(text))
      values << match.captured(1);
    return values;
  }

 private:
  SQLHDBC handle_;
  QString path_;
};

int NativeCodeOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const adodb::Error& error) {
    return error.NativeCode();
  }
  return 0;
}

}  // namespace

TEST_F(OdbcTest, UnsetPropertiesKeepAdosDefaults) {
  std::unique_ptr<adodb::Connection> connection = adodb::CreateOdbcConnection();
  EXPECT_EQ(ConnectAttribute(*connection, SQL_ATTR_LOGIN_TIMEOUT), 15u);
  EXPECT_EQ(Odbc(*connection).CommandTimeout(), 30);
  EXPECT_EQ(Odbc(*connection).CursorLocation(), 2);
  DriverManagerTrace trace(*connection, sqlite_.Folder() + QStringLiteral("/trace.log"));
  connection->Open(SqliteOdbc::ConnectionString(database_));
  connection->Execute(QStringLiteral("SELECT 1"));
  trace.Stop();
  EXPECT_EQ(trace.ValuesOf(QStringLiteral("SQL_ATTR_QUERY_TIMEOUT")),
            QStringList{QStringLiteral("0x1e")});
  EXPECT_TRUE(trace.ValuesOf(QStringLiteral("SQL_ATTR_ACCESS_MODE")).isEmpty());
}

TEST_F(OdbcTest, PropertiesOfTheJoinEngineReachTheDriverManager) {
  std::unique_ptr<adodb::Connection> connection = adodb::CreateOdbcConnection();
  DriverManagerTrace trace(*connection, sqlite_.Folder() + QStringLiteral("/trace.log"));
  connection->SetMode(adodb::adModeReadWrite);
  connection->SetCommandTimeout(5000);
  connection->SetConnectionTimeout(5000);
  connection->SetCursorLocation(adodb::adUseClient);
  EXPECT_EQ(ConnectAttribute(*connection, SQL_ATTR_LOGIN_TIMEOUT), 5000u);
  EXPECT_EQ(ConnectAttribute(*connection, SQL_ATTR_ACCESS_MODE), SQLULEN(SQL_MODE_READ_WRITE));
  connection->Open(SqliteOdbc::ConnectionString(database_));
  connection->Execute(QStringLiteral("CREATE TABLE T (a TEXT)"));
  connection->SetCommandTimeout(0);
  connection->Execute(QStringLiteral("INSERT INTO T VALUES('written')"));
  trace.Stop();
  EXPECT_EQ(trace.ValuesOf(QStringLiteral("SQL_ATTR_ACCESS_MODE")),
            QStringList{QStringLiteral("(nil)")});  // SQL_MODE_READ_WRITE is 0
  EXPECT_EQ(trace.ValuesOf(QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT")).last(),
            QStringLiteral("0x1388"));
  EXPECT_EQ(trace.ValuesOf(QStringLiteral("SQL_ATTR_QUERY_TIMEOUT")),
            QStringList({QStringLiteral("0x1388"), QStringLiteral("(nil)")}));
  EXPECT_EQ(Odbc(*connection).CursorLocation(), adodb::adUseClient);
  EXPECT_EQ(SelectOne(QStringLiteral("SELECT a FROM T")),
            adodb::Value::Text(QStringLiteral("written")));
}

// Statements whose result is not wanted (one INSERT per row of an append) run one after another
// on the same statement, which keeps its time-out: it is set again only when it changes.
TEST_F(OdbcTest, StatementsWithoutRecordsShareAStatementAndItsTimeout) {
  std::unique_ptr<adodb::Connection> connection = adodb::CreateOdbcConnection();
  DriverManagerTrace trace(*connection, sqlite_.Folder() + QStringLiteral("/trace.log"));
  connection->SetCommandTimeout(5000);
  connection->Open(SqliteOdbc::ConnectionString(database_));
  connection->ExecuteNoRecords(QStringLiteral("CREATE TABLE T (a INTEGER)"));
  for (int i = 1; i <= 3; ++i) {
    connection->ExecuteNoRecords(QStringLiteral("INSERT INTO T VALUES(%1)").arg(i));
  }
  connection->SetCommandTimeout(0);
  connection->ExecuteNoRecords(QStringLiteral("INSERT INTO T VALUES(4)"));
  std::unique_ptr<adodb::Recordset> count =
      connection->Execute(QStringLiteral("SELECT COUNT(*) FROM T"));
  EXPECT_EQ(count->FieldValue(0), adodb::Value::Text(QStringLiteral("4")));
  count.reset();
  connection->ExecuteNoRecords(QStringLiteral("INSERT INTO T VALUES(5)"));
  trace.Stop();
  EXPECT_EQ(
      trace.ValuesOf(QStringLiteral("SQL_ATTR_QUERY_TIMEOUT")),
      QStringList({QStringLiteral("0x1388"), QStringLiteral("(nil)"), QStringLiteral("(nil)")}))
      << "set for the first statement, for the changed time-out, and after a result";
  try {
    connection->ExecuteNoRecords(QStringLiteral("INSERT INTO Missing VALUES(1)"));
    ADD_FAILURE() << "a refused statement must throw";
  } catch (const adodb::Error& error) {
    EXPECT_TRUE(error.Description().contains(QStringLiteral("Missing")))
        << error.Description().toStdString();
  }
  connection->ExecuteNoRecords(QStringLiteral("INSERT INTO T VALUES(6)"));
  EXPECT_EQ(SelectOne(QStringLiteral("SELECT COUNT(*) FROM T")),
            adodb::Value::Text(QStringLiteral("6")));
}

TEST_F(OdbcTest, ReadingModeAsksForReadOnlyAccess) {
  std::unique_ptr<adodb::Connection> connection = adodb::CreateOdbcConnection();
  DriverManagerTrace trace(*connection, sqlite_.Folder() + QStringLiteral("/trace.log"));
  connection->SetMode(1);  // adModeRead
  EXPECT_EQ(ConnectAttribute(*connection, SQL_ATTR_ACCESS_MODE), SQLULEN(SQL_MODE_READ_ONLY));
  connection->Open(SqliteOdbc::ConnectionString(database_));
  trace.Stop();
  EXPECT_EQ(trace.ValuesOf(QStringLiteral("SQL_ATTR_ACCESS_MODE")),
            QStringList{QStringLiteral("0x1")});
}

TEST_F(OdbcTest, PropertiesAreCheckedAsAdoChecksThem) {
  std::unique_ptr<adodb::Connection> connection = adodb::CreateOdbcConnection();
  EXPECT_EQ(NativeCodeOf([&] { connection->SetCommandTimeout(-1); }), 3001);
  EXPECT_EQ(NativeCodeOf([&] { connection->SetConnectionTimeout(-1); }), 3001);
  connection->Open(SqliteOdbc::ConnectionString(database_));
  EXPECT_EQ(NativeCodeOf([&] { connection->SetMode(adodb::adModeReadWrite); }), 3705);
  EXPECT_EQ(NativeCodeOf([&] { connection->SetConnectionTimeout(10); }), 3705);
  EXPECT_EQ(NativeCodeOf([&] { connection->SetCommandTimeout(10); }), 0);
  EXPECT_EQ(NativeCodeOf([&] { connection->SetCursorLocation(adodb::adUseClient); }), 0);
}
