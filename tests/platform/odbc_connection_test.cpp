// Opening connections, running statements and the tables rowset over the real driver manager.

#include <gtest/gtest.h>
#include <sqlext.h>

#include <QFileInfo>

#include "odbc_fixture.h"
#include "platform/odbc/odbc_recordset.h"

using adodb::Value;

namespace {

adodb::Error OpenError(const QString& connectionString) {
  std::unique_ptr<adodb::Connection> connection = adodb::CreateOdbcConnection();
  try {
    connection->Open(connectionString);
  } catch (const adodb::Error& error) {
    return error;
  }
  ADD_FAILURE() << "the open succeeded: " << connectionString.toStdString();
  return adodb::Error({}, {}, 0);
}

adodb::Error StatementError(adodb::Connection& connection, const QString& statement) {
  try {
    connection.Execute(statement);
  } catch (const adodb::Error& error) {
    return error;
  }
  ADD_FAILURE() << "the statement succeeded: " << statement.toStdString();
  return adodb::Error({}, {}, 0);
}

bool IsGeneric(const adodb::Error& error) {
  return error.Description().contains(QStringLiteral("without a diagnostic record"));
}

}  // namespace

TEST_F(OdbcTest, RefusedOpenCarriesTheDriverManagersAndTheDriversText) {
  const adodb::Error noDriver = OpenError(QStringLiteral("Driver={No Such Driver};Database=x;"));
  EXPECT_EQ(noDriver.SqlState().toStdString(), "01000");
  EXPECT_EQ(noDriver.Description().toStdString(),
            "[unixODBC][Driver Manager]Can't open lib 'No Such Driver' : file not found");

  const QString missing = sqlite_.Folder() + QStringLiteral("/no/such/folder/x.db");
  const adodb::Error noFile = OpenError(SqliteOdbc::ConnectionString(missing));
  EXPECT_FALSE(noFile.SqlState().isEmpty());
  EXPECT_FALSE(noFile.Description().isEmpty());
  EXPECT_FALSE(IsGeneric(noFile)) << noFile.Description().toStdString();
  EXPECT_TRUE(noFile.Description().contains(QStringLiteral("SQLite")))
      << noFile.Description().toStdString();
}

TEST_F(OdbcTest, OpenTwiceOrUseBeforeOpenIsRefusedAsAdoDoes) {
  std::unique_ptr<adodb::Connection> closed = adodb::CreateOdbcConnection();
  try {
    closed->Execute(QStringLiteral("SELECT 1"));
    ADD_FAILURE() << "a closed connection ran a statement";
  } catch (const adodb::Error& error) {
    EXPECT_EQ(error.NativeCode(), 3704);
  }
  std::unique_ptr<adodb::Connection> open = Connect();
  try {
    open->Open(SqliteOdbc::ConnectionString(database_));
    ADD_FAILURE() << "an open connection opened again";
  } catch (const adodb::Error& error) {
    EXPECT_EQ(error.NativeCode(), 3705);
  }
}

TEST_F(OdbcTest, StatementsWithoutRowsGiveAnEmptyResult) {
  std::unique_ptr<adodb::Connection> connection = Connect();
  for (const QString& statement :
       {QStringLiteral("CREATE TABLE T (a TEXT, b TEXT)"),
        QStringLiteral("DELETE FROM T WHERE a = 'nobody'"),
        QStringLiteral("UPDATE T SET b = 'x' WHERE a = 'nobody'"),
        QStringLiteral("INSERT INTO T VALUES('a', 'it''s')"), QStringLiteral("DROP TABLE T")}) {
    std::unique_ptr<adodb::Recordset> result = connection->Execute(statement);
    EXPECT_EQ(result->FieldCount(), 0) << statement.toStdString();
    EXPECT_TRUE(result->Eof()) << statement.toStdString();
    EXPECT_THROW(result->FieldValue(0), adodb::Error);
    EXPECT_THROW(result->MoveNext(), adodb::Error);
  }
  EXPECT_FALSE(QFileInfo(database_).size() == 0);
}

TEST_F(OdbcTest, RefusedStatementCarriesTheDriversText) {
  std::unique_ptr<adodb::Connection> connection = Connect();
  const adodb::Error syntax = StatementError(*connection, QStringLiteral("SELEC 1"));
  EXPECT_EQ(syntax.SqlState(), QStringLiteral("HY000"));
  EXPECT_TRUE(syntax.Description().contains(QStringLiteral("syntax error")))
      << syntax.Description().toStdString();
  const adodb::Error missing =
      StatementError(*connection, QStringLiteral("SELECT * FROM [Missing]"));
  EXPECT_TRUE(missing.Description().contains(QStringLiteral("no such table: Missing")))
      << missing.Description().toStdString();
  // The connection stays usable after a refusal.
  EXPECT_EQ(ReadRows(*connection->Execute(QStringLiteral("SELECT 7"))).size(), 1u);
}

TEST_F(OdbcTest, TablesRowsetListsTablesAndViewsByName) {
  Exec(QStringLiteral("CREATE TABLE Customers (ID INTEGER, Name TEXT)"));
  Exec(QStringLiteral("CREATE VIEW Names AS SELECT Name FROM Customers"));
  std::unique_ptr<adodb::Connection> connection = Connect();
  std::unique_ptr<adodb::Recordset> tables = connection->OpenSchema(adodb::adSchemaTables);
  const int name = adodb::FieldIndex(*tables, QStringLiteral("table_name"));
  const int type = adodb::FieldIndex(*tables, QStringLiteral("TABLE_TYPE"));
  ASSERT_GE(name, 0) << FieldNames(*tables).join(',').toStdString();
  ASSERT_GE(type, 0);
  QStringList listed;
  for (const std::vector<Value>& row : ReadRows(*tables)) {
    listed << row[size_t(name)].text + QLatin1Char('/') + row[size_t(type)].text;
  }
  EXPECT_TRUE(listed.contains(QStringLiteral("Customers/TABLE"))) << listed.join(' ').toStdString();
  EXPECT_TRUE(listed.contains(QStringLiteral("Names/VIEW"))) << listed.join(' ').toStdString();
  tables->Close();
  EXPECT_THROW(tables->Eof(), adodb::Error);
  EXPECT_THROW(tables->Close(), adodb::Error);
  try {
    connection->OpenSchema(4);
    ADD_FAILURE() << "a schema other than the tables rowset was opened";
  } catch (const adodb::Error& error) {
    EXPECT_EQ(error.SqlState(), QStringLiteral("HYC00"));
  }
}

TEST_F(OdbcTest, FieldNamesAreReadWithoutFetchingARow) {
  Exec(QStringLiteral("CREATE TABLE T (a INTEGER)"));
  Exec(QStringLiteral("INSERT INTO T VALUES(1)"));
  // StepAPI=1 makes the driver compute rows only when they are fetched; computing this row
  // fails, so reading the names must not fetch it.
  std::unique_ptr<adodb::Connection> connection = Connect(QStringLiteral("StepAPI=1;"));
  std::unique_ptr<adodb::Recordset> rows = connection->OpenRecordset(
      QStringLiteral("SELECT a, abs(-9223372036854775807 - 1) AS overflow FROM [T]"),
      adodb::adOpenStatic, adodb::adLockOptimistic);
  ASSERT_EQ(rows->FieldCount(), 2);
  EXPECT_EQ(FieldNames(*rows), QStringList({QStringLiteral("a"), QStringLiteral("overflow")}));
  try {
    rows->Eof();
    ADD_FAILURE() << "the failing row was fetched without error";
  } catch (const adodb::Error& error) {
    EXPECT_TRUE(error.Description().contains(QStringLiteral("integer overflow")))
        << error.Description().toStdString();
  }
  EXPECT_TRUE(rows->Eof()) << "a failed fetch ends the result";
}

TEST_F(OdbcTest, FailedFetchIsRaisedOnceAndEndsTheResult) {
  Exec(QStringLiteral("CREATE TABLE T (a INTEGER)"));
  Exec(QStringLiteral("INSERT INTO T VALUES(1)"));
  Exec(QStringLiteral("INSERT INTO T VALUES(2)"));
  std::unique_ptr<adodb::Connection> connection = Connect(QStringLiteral("StepAPI=1;"));
  std::unique_ptr<adodb::Recordset> rows = connection->Execute(QStringLiteral(
      "SELECT CASE WHEN a = 2 THEN abs(-9223372036854775807 - 1) ELSE a END FROM T"));
  ASSERT_FALSE(rows->Eof());
  EXPECT_EQ(rows->FieldValue(0), Value::Text(QStringLiteral("1")));
  EXPECT_THROW(rows->MoveNext(), adodb::Error);
  EXPECT_TRUE(rows->Eof());
  EXPECT_THROW(rows->FieldValue(0), adodb::Error);
}

TEST_F(OdbcTest, PendingResultKeepsItsRowsWhenItsConnectionRunsAnotherStatement) {
  Exec(QStringLiteral("CREATE TABLE T (a INTEGER)"));
  for (int i = 1; i <= 3; ++i) Exec(QStringLiteral("INSERT INTO T VALUES(%1)").arg(i));
  std::unique_ptr<adodb::Connection> connection = Connect(QStringLiteral("StepAPI=1;"));
  connection->SetCursorLocation(adodb::adUseClient);
  std::unique_ptr<adodb::Recordset> counted =
      connection->Execute(QStringLiteral("SELECT * FROM [T] ORDER BY a"));
  EXPECT_EQ(counted->FieldCount(), 1);
  const auto& pending = dynamic_cast<const adodb::odbc::OdbcRecordset&>(*counted);
  EXPECT_TRUE(pending.HasOpenCursor());
  std::unique_ptr<adodb::Recordset> source =
      connection->Execute(QStringLiteral("SELECT * FROM [T] ORDER BY a"));
  EXPECT_FALSE(pending.HasOpenCursor()) << "its rows were read before the next statement";
  ASSERT_FALSE(source->Eof());
  connection->Execute(QStringLiteral("INSERT INTO T VALUES(4)"));
  EXPECT_EQ(ReadRows(*source), (std::vector<std::vector<Value>>{
                                   {Value::Text("1")}, {Value::Text("2")}, {Value::Text("3")}}));
  EXPECT_EQ(ReadRows(*counted).size(), 3u);
  EXPECT_EQ(ReadRows(*connection->Execute(QStringLiteral("SELECT * FROM T"))).size(), 4u);
}

TEST_F(OdbcTest, ResultReleasedAfterItsConnectionStaysSafe) {
  Exec(QStringLiteral("CREATE TABLE T (a INTEGER)"));
  Exec(QStringLiteral("INSERT INTO T VALUES(1)"));
  Exec(QStringLiteral("INSERT INTO T VALUES(2)"));
  std::unique_ptr<adodb::Connection> connection = Connect(QStringLiteral("StepAPI=1;"));
  std::unique_ptr<adodb::Recordset> rows = connection->Execute(QStringLiteral("SELECT a FROM T"));
  ASSERT_FALSE(rows->Eof());
  connection.reset();
  EXPECT_EQ(rows->FieldValue(0), Value::Text(QStringLiteral("1")));
  rows->MoveNext();
  EXPECT_TRUE(rows->Eof());
}

// One INSERT per row must not cost a handle per row: a released result's statement serves the
// next statement, closed first, also when rows were still waiting; results alive at the same
// time keep statements of their own.
TEST_F(OdbcTest, AReleasedResultsStatementServesTheNextStatement) {
  using adodb::odbc::OdbcRecordset;
  auto handleOf = [](const adodb::Recordset& result) {
    return dynamic_cast<const OdbcRecordset&>(result).StatementHandle();
  };
  Exec(QStringLiteral("CREATE TABLE T (a INTEGER)"));
  std::unique_ptr<adodb::Connection> connection = Connect(QStringLiteral("StepAPI=1;"));
  std::unique_ptr<adodb::Recordset> insert =
      connection->Execute(QStringLiteral("INSERT INTO T VALUES(1)"));
  const SQLHSTMT first = handleOf(*insert);
  // A mark that a new statement would not carry.
  ASSERT_EQ(SQLSetStmtAttr(first, SQL_ATTR_MAX_ROWS, reinterpret_cast<SQLPOINTER>(7), 0),
            SQL_SUCCESS);
  insert.reset();
  connection->Execute(QStringLiteral("INSERT INTO T VALUES(2)"));
  std::unique_ptr<adodb::Recordset> pending =
      connection->Execute(QStringLiteral("SELECT a FROM T ORDER BY a"));
  SQLULEN mark = 0;
  EXPECT_EQ(SQLGetStmtAttr(handleOf(*pending), SQL_ATTR_MAX_ROWS, &mark, 0, nullptr), SQL_SUCCESS);
  EXPECT_EQ(mark, 7u) << "the statement was not the one released";
  ASSERT_FALSE(pending->Eof());
  std::unique_ptr<adodb::Recordset> alive =
      connection->Execute(QStringLiteral("SELECT a FROM T ORDER BY a DESC"));
  EXPECT_NE(handleOf(*alive), first);
  pending.reset();  // released with a row still waiting
  connection->Execute(QStringLiteral("DELETE FROM T WHERE a = 42"));
  EXPECT_EQ(ReadRows(*connection->Execute(QStringLiteral("SELECT a FROM T ORDER BY a"))),
            (std::vector<std::vector<Value>>{{Value::Text("1")}, {Value::Text("2")}}));
  EXPECT_EQ(ReadRows(*alive),
            (std::vector<std::vector<Value>>{{Value::Text("2")}, {Value::Text("1")}}));
}

// The driver reads a whole result when the statement runs (StepAPI is off by default), so a
// description that ran the query would meet the failing row.
TEST_F(OdbcTest, DescribeGivesTheFieldsWithoutRunningTheQuery) {
  Exec(QStringLiteral("CREATE TABLE T (a INTEGER, [b c] TEXT)"));
  Exec(QStringLiteral("INSERT INTO T VALUES(1, 'x')"));
  std::unique_ptr<adodb::Connection> connection = Connect();
  const QString failing =
      QStringLiteral("SELECT a, abs(-9223372036854775807 - 1) AS overflow FROM [T]");
  EXPECT_THROW(ReadRows(*connection->Execute(failing)), adodb::Error);

  std::unique_ptr<adodb::Recordset> described = connection->Describe(failing);
  EXPECT_EQ(FieldNames(*described), QStringList({QStringLiteral("a"), QStringLiteral("overflow")}));
  EXPECT_TRUE(described->Eof());
  EXPECT_THROW(described->FieldValue(0), adodb::Error);
  EXPECT_THROW(described->MoveNext(), adodb::Error);
  EXPECT_EQ(FieldNames(*connection->Describe(QStringLiteral("SELECT * FROM [T]"))),
            QStringList({QStringLiteral("a"), QStringLiteral("b c")}));
  described.reset();
  // The described statement's handle serves the next statement.
  EXPECT_EQ(ReadRows(*connection->Execute(QStringLiteral("SELECT * FROM [T]"))),
            (std::vector<std::vector<Value>>{{Value::Text("1"), Value::Text("x")}}));
}

TEST_F(OdbcTest, DescribeRefusesWhatExecuteRefusesAndRunsAStatementWithoutFields) {
  std::unique_ptr<adodb::Connection> closed = adodb::CreateOdbcConnection();
  try {
    closed->Describe(QStringLiteral("SELECT 1"));
    ADD_FAILURE() << "a closed connection described a statement";
  } catch (const adodb::Error& error) {
    EXPECT_EQ(error.NativeCode(), 3704);
  }
  std::unique_ptr<adodb::Connection> connection = Connect();
  try {
    connection->Describe(QStringLiteral("SELECT * FROM [Missing]"));
    ADD_FAILURE() << "a missing table was described";
  } catch (const adodb::Error& error) {
    EXPECT_TRUE(error.Description().contains(QStringLiteral("no such table: Missing")))
        << error.Description().toStdString();
  }
  // No fields before it runs: the statement is run, so that its own result is described.
  std::unique_ptr<adodb::Recordset> created =
      connection->Describe(QStringLiteral("CREATE TABLE T (a INTEGER)"));
  EXPECT_EQ(created->FieldCount(), 0);
  EXPECT_TRUE(created->Eof());
  EXPECT_EQ(FieldNames(*connection->Describe(QStringLiteral("SELECT * FROM T"))),
            QStringList({QStringLiteral("a")}));
}
