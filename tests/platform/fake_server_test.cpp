// The in-memory server that the page and engine tests run against: its logs, its faults,
// the statements it runs and the way its recordsets fetch.

#include <gtest/gtest.h>

#include "support/fake_server.h"

namespace {

using Row = FakeServer::Row;
using adodb::Value;

const QString kShop =
    QStringLiteral("Driver={SQL Server};Server=db,1433;Database=Shop;Uid=u;Pwd=p;");

std::unique_ptr<adodb::Connection> OpenShop() {
  auto connection = adodb::CreateConnection();
  connection->Open(kShop);
  return connection;
}

// Every row of a recordset, read to its end.
std::vector<Row> ReadAll(adodb::Recordset& recordset) {
  std::vector<Row> rows;
  for (; !recordset.Eof(); recordset.MoveNext()) {
    Row row;
    for (int i = 0; i < recordset.FieldCount(); ++i) row.push_back(recordset.FieldValue(i));
    rows.push_back(row);
  }
  return rows;
}

QStringList FieldNames(adodb::Recordset& recordset) {
  QStringList names;
  for (int i = 0; i < recordset.FieldCount(); ++i) names << recordset.FieldName(i);
  return names;
}

// Runs a statement and answers with the error it raised.
adodb::Error ErrorOf(adodb::Connection& connection, const QString& statement) {
  try {
    connection.Execute(statement);
  } catch (const adodb::Error& error) {
    return error;
  }
  ADD_FAILURE() << "no error from " << statement.toStdString();
  return adodb::Error({}, {}, 0);
}

QString JoinStatement(const QString& target, const QString& k1, const QString& k2) {
  return "SELECT * INTO [" + target + "] FROM s_t1 LEFT JOIN s_t2 ON s_t1." + k1 + "=s_t2." + k2 +
         " UNION ALL SELECT * FROM s_t1 RIGHT JOIN s_t2 ON s_t1." + k1 + " = s_t2." + k2 +
         " WHERE s_t1." + k1 + " Is Null";
}

QString DropIfExists(const QString& name) {
  return "if exists (select * from sysobjects where id = object_id(N'[" + name +
         "]') and OBJECTPROPERTY(id, N'IsUserTable') = 1) drop table [" + name + "];";
}

TEST(FakeServer, LogsPropertiesConnectionsAndStatementsInOrder) {
  FakeServer server;
  server.AddTable("Shop", "T", {"A"});
  {
    auto first = adodb::CreateConnection();
    auto second = adodb::CreateConnection();
    EXPECT_EQ(server.LiveConnections(), 2);
    first->SetMode(3);
    first->SetCommandTimeout(5000);
    first->SetConnectionTimeout(5000);
    first->SetCursorLocation(3);
    second->SetConnectionTimeout(5000);
    second->SetMode(3);
    EXPECT_EQ(server.Connections().at(0).connectionString, QString());

    // Nothing runs, and nothing is logged, before Open.
    const adodb::Error closed = ErrorOf(*first, "SELECT * FROM [T]");
    EXPECT_EQ(closed.Description(), "Operation is not allowed when the object is closed.");
    EXPECT_EQ(closed.SqlState(), "HY010");
    EXPECT_EQ(closed.NativeCode(), 3704);
    EXPECT_THROW(first->OpenSchema(adodb::adSchemaTables), adodb::Error);

    first->Open(kShop);
    second->Open(kShop);
    first->Execute("SELECT * FROM [T]");
    second->OpenSchema(adodb::adSchemaTables);
    first->OpenRecordset("Select * from [T]", adodb::adOpenStatic, adodb::adLockOptimistic);
  }
  EXPECT_EQ(server.LiveConnections(), 0);
  ASSERT_EQ(server.Connections().size(), 2u);
  EXPECT_EQ(server.Connections()[0].connectionString, kShop);
  EXPECT_TRUE(server.Connections()[0].opened);
  EXPECT_EQ(
      server.Connections()[0].properties,
      QStringList({"Mode=3", "CommandTimeout=5000", "ConnectionTimeout=5000", "CursorLocation=3"}));
  EXPECT_EQ(server.Connections()[1].properties, QStringList({"ConnectionTimeout=5000", "Mode=3"}));
  EXPECT_EQ(server.Statements(),
            QStringList({"SELECT * FROM [T]", "OpenSchema(20)", "Select * from [T]"}));
  EXPECT_EQ(server.StatementsOn(0), QStringList({"SELECT * FROM [T]", "Select * from [T]"}));
  EXPECT_EQ(server.StatementsOn(1), QStringList({"OpenSchema(20)"}));
}

TEST(FakeServer, ScriptedFaultsRefuseOpensAndStatements) {
  FakeServer server;
  server.AddTable("Shop", "T", {"A"});
  server.RefuseOpen("Server=down");
  server.RefuseStatements("[T]", "Permission denied.");

  auto refused = adodb::CreateConnection();
  try {
    refused->Open("Driver={SQL Server};Server=down,1433;Database=Shop;Uid=;Pwd=;");
    FAIL() << "the open was not refused";
  } catch (const adodb::Error& error) {
    EXPECT_EQ(error.Description(), "Login failed for user.");
    EXPECT_EQ(error.SqlState(), "28000");
    EXPECT_EQ(error.NativeCode(), 18456);
  }
  EXPECT_FALSE(server.Connections()[0].opened);
  EXPECT_TRUE(server.Connections()[0].connectionString.contains("Server=down"));

  auto shop = OpenShop();
  const adodb::Error error = ErrorOf(*shop, "SELECT * FROM [T]");
  EXPECT_EQ(error.Description(), "Permission denied.");
  EXPECT_EQ(error.SqlState(), "42000");
  EXPECT_EQ(error.NativeCode(), 50000);
  EXPECT_EQ(server.Statements(), QStringList({"SELECT * FROM [T]"}));

  server.ClearFaults();
  EXPECT_NO_THROW(shop->Execute("SELECT * FROM [T]"));
}

TEST(FakeServer, DatabasesAreNamedByTheConnectionString) {
  FakeServer server;
  server.AddTable("a;b}c", "Braced", {"X"}, {FakeServer::TextRow({"1"})});
  server.AddTable("", "NoDatabase", {"X"});
  server.AddTable("Shop", "Orders", {"X"});
  server.AddView("Shop", "OrderView", {"X"});
  server.AddSystemTable("Shop", "sysobjects", {"X"});

  auto braced = adodb::CreateConnection();
  braced->Open("Driver={SQL Server};Server=s,1;Database={a;b}}c};Uid=u;Pwd=p;");
  EXPECT_EQ(ReadAll(*braced->Execute("SELECT * FROM [Braced]")).size(), 1u);
  auto none = adodb::CreateConnection();
  none->Open("Driver={SQL Server};Server=s,1;Database=;Uid=u;Pwd=p;");
  EXPECT_NO_THROW(none->Execute("SELECT * FROM [NoDatabase]"));

  auto shop = OpenShop();
  const adodb::Error unknown = ErrorOf(*shop, "SELECT * FROM [Braced]");
  EXPECT_EQ(unknown.Description(), "Invalid object name 'Braced'.");
  EXPECT_EQ(unknown.NativeCode(), 208);

  shop->Execute("SELECT [X] AS [X] INTO s_t1 FROM [orders]");  // names are case-blind
  auto tables = shop->OpenSchema(adodb::adSchemaTables);
  EXPECT_EQ(FieldNames(*tables),
            QStringList({"TABLE_CATALOG", "TABLE_SCHEMA", "TABLE_NAME", "TABLE_TYPE"}));
  QStringList listed;
  for (const Row& row : ReadAll(*tables)) listed << row[2].text + ":" + row[3].text;
  EXPECT_EQ(listed, QStringList({"Orders:TABLE", "OrderView:VIEW", "sysobjects:SYSTEM TABLE",
                                 "s_t1:TABLE"}));
  EXPECT_EQ(server.TableNames("shop"), QStringList({"Orders", "OrderView", "sysobjects", "s_t1"}));
}

TEST(FakeServer, InsertParsesEveryLiteralTheProgramWrites) {
  FakeServer server;
  server.AddTable("Shop", "T", {"A", "B", "C", "D", "E"});
  auto shop = OpenShop();

  shop->Execute("INSERT INTO [T] VALUES('it''s', N'na''me, (x)', NULL, 0x0aFF, '')");
  shop->Execute("insert into [t] values ( 'a' ,'b','c','d','e' ) ;");
  const FakeServer::Table* table = server.FindTable("Shop", "t");
  ASSERT_NE(table, nullptr);
  ASSERT_EQ(table->rows.size(), 2u);
  EXPECT_EQ(table->rows[0], Row({Value::Text("it's"), Value::Text("na'me, (x)"), Value::Null(),
                                 Value::Binary(QByteArray("\x0a\xff", 2)), Value::Text("")}));
  EXPECT_EQ(table->rows[1], FakeServer::TextRow({"a", "b", "c", "d", "e"}));

  const adodb::Error count = ErrorOf(*shop, "INSERT INTO [T] VALUES('a', 'b')");
  EXPECT_EQ(count.Description(),
            "Column name or number of supplied values does not match table definition.");
  EXPECT_EQ(count.SqlState(), "21S01");
  EXPECT_EQ(ErrorOf(*shop, "INSERT INTO [Nope] VALUES('a')").NativeCode(), 208);
  EXPECT_EQ(ErrorOf(*shop, "INSERT INTO [T] VALUES('a|b', 'c)").NativeCode(), 105);

  const adodb::Error other = ErrorOf(*shop, "DELETE FROM [T]");
  EXPECT_EQ(other.Description(), "Incorrect syntax near 'DELETE'.");
  EXPECT_EQ(other.SqlState(), "42000");
  EXPECT_EQ(other.NativeCode(), 102);
  EXPECT_EQ(server.Statements().last(), "DELETE FROM [T]");
  EXPECT_EQ(table->rows.size(), 2u);
}

TEST(FakeServer, StagingCopiesAndDropsFollowTheServer) {
  FakeServer server;
  server.AddTable("Shop", "Customers", {"ID", "Name"},
                  {FakeServer::TextRow({"1", "Ann"}), FakeServer::TextRow({"2", nullptr})});
  server.AddView("Shop", "s_t2", {"X"});
  auto shop = OpenShop();

  shop->Execute("SELECT [Name] AS [N],[ID] AS [ID] INTO s_t1 FROM [Customers]");
  const FakeServer::Table* copy = server.FindTable("Shop", "s_t1");
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->columns, QStringList({"N", "ID"}));
  EXPECT_EQ(copy->rows[1], FakeServer::TextRow({nullptr, "2"}));
  EXPECT_EQ(ErrorOf(*shop, "SELECT [ID] AS [ID] INTO [s_t1] FROM [Customers]").Description(),
            "There is already an object named 's_t1' in the database.");
  EXPECT_EQ(
      ErrorOf(*shop, "SELECT [ID] AS [A],[Name] AS [a] INTO s_x FROM [Customers]").Description(),
      "Column names in each table must be unique. Column name 'a' in table 's_x' is "
      "specified more than once.");
  EXPECT_EQ(ErrorOf(*shop, "SELECT [Age] AS [Age] INTO s_x FROM [Customers]").Description(),
            "Invalid column name 'Age'.");

  shop->Execute(DropIfExists("s_t1"));
  shop->Execute(DropIfExists("s_t1"));  // no table, no error
  shop->Execute(DropIfExists("s_t2"));  // a view is no user table
  EXPECT_EQ(server.TableNames("Shop"), QStringList({"Customers", "s_t2"}));
  shop->Execute("SELECT * FROM [Customers] WHERE 1=0");
  auto empty = shop->Execute("SELECT * FROM [Customers] WHERE 1=0");
  EXPECT_EQ(FieldNames(*empty), QStringList({"ID", "Name"}));
  EXPECT_TRUE(empty->Eof());
}

class JoinStatementTest : public ::testing::Test {
 protected:
  JoinStatementTest() {
    server.AddTable("Shop", "s_t1", {"ID", "Name"},
                    {FakeServer::TextRow({"1", "Ann"}), FakeServer::TextRow({"2", "Bob"}),
                     FakeServer::TextRow({nullptr, "Nil"}), FakeServer::TextRow({"1", "Ann"})});
    server.AddTable(
        "Shop", "s_t2", {"ID_A", "Customer ID", "Total"},
        {FakeServer::TextRow({"10", "1", "5"}), FakeServer::TextRow({"11", "1", "7"}),
         FakeServer::TextRow({"12", "3", "9"}), FakeServer::TextRow({"13", nullptr, "1"})});
  }
  FakeServer server;
  std::unique_ptr<adodb::Connection> shop = OpenShop();
};

TEST_F(JoinStatementTest, BuildsTheFullOuterJoinKeepingIdenticalRows) {
  shop->Execute(JoinStatement("Joined", "ID", "[Customer ID]"));
  const FakeServer::Table* joined = server.FindTable("Shop", "Joined");
  ASSERT_NE(joined, nullptr);
  EXPECT_EQ(joined->type, "TABLE");
  EXPECT_EQ(joined->columns, QStringList({"ID", "Name", "ID_A", "Customer ID", "Total"}));
  // Ann's second, identical row joins twice more, as a full outer join has it; NULL keys never
  // match.
  const std::vector<Row> expected = {
      FakeServer::TextRow({"1", "Ann", "10", "1", "5"}),
      FakeServer::TextRow({"1", "Ann", "11", "1", "7"}),
      FakeServer::TextRow({"2", "Bob", nullptr, nullptr, nullptr}),
      FakeServer::TextRow({nullptr, "Nil", nullptr, nullptr, nullptr}),
      FakeServer::TextRow({"1", "Ann", "10", "1", "5"}),
      FakeServer::TextRow({"1", "Ann", "11", "1", "7"}),
      FakeServer::TextRow({nullptr, nullptr, "12", "3", "9"}),
      FakeServer::TextRow({nullptr, nullptr, "13", nullptr, "1"}),
  };
  EXPECT_EQ(joined->rows, expected);
}

TEST_F(JoinStatementTest, RefusesWhatTheServerRefuses) {
  const adodb::Error blank = ErrorOf(*shop, JoinStatement("J", "ID", "Customer ID"));
  EXPECT_EQ(blank.Description(), "Incorrect syntax near 'ID'.");
  EXPECT_EQ(blank.NativeCode(), 102);
  EXPECT_EQ(ErrorOf(*shop, JoinStatement("J", "Name", "Order")).NativeCode(), 156);
  const adodb::Error column = ErrorOf(*shop, JoinStatement("J", "ID", "CustomerID"));
  EXPECT_EQ(column.Description(), "Invalid column name 'CustomerID'.");
  EXPECT_EQ(column.SqlState(), "42S22");
  EXPECT_EQ(ErrorOf(*shop, JoinStatement("s_t1", "ID", "ID_A")).NativeCode(), 2714);
  EXPECT_EQ(server.TableNames("Shop"), QStringList({"s_t1", "s_t2"}));

  shop->Execute("SELECT [ID_A] AS [ID],[Total] AS [Total] INTO s_t3 FROM [s_t2]");
  const QString clash = JoinStatement("J", "ID", "ID").replace("s_t2", "s_t3");
  const adodb::Error duplicate = ErrorOf(*shop, clash);
  EXPECT_EQ(duplicate.NativeCode(), 2705);
  EXPECT_EQ(duplicate.SqlState(), "42S21");
}

TEST(FakeServer, RunsTheJoinEnginesStatementsAsTheyAreSent) {
  FakeServer server;
  server.AddTable("Shop", "Customers", {"ID", "Name"},
                  {FakeServer::TextRow({"1", "Ann"}), FakeServer::TextRow({"2", "Bob"})});
  server.AddTable("Shop", "Orders", {"ID", "CustomerID", "Total"},
                  {FakeServer::TextRow({"7", "1", "9.5"})});
  server.AddTable("Shop", "s_t1", {"Left", "Over"});
  auto shop = OpenShop();
  for (const char* statement : {
           "if exists (select * from sysobjects where id = object_id(N'[s_t1]') and "
           "OBJECTPROPERTY(id, N'IsUserTable') = 1) drop table [s_t1];",
           "if exists (select * from sysobjects where id = object_id(N'[s_t2]') and "
           "OBJECTPROPERTY(id, N'IsUserTable') = 1) drop table [s_t2];",
           "SELECT [ID] AS [ID],[Name] AS [Name] INTO s_t1 FROM [Customers]",
           "SELECT [ID] AS [ID_A],[CustomerID] AS [CustomerID],[Total] AS [Total] INTO s_t2 "
           "FROM [Orders]",
           "SELECT * INTO [Joined] FROM s_t1 LEFT JOIN s_t2 ON s_t1.ID=s_t2.CustomerID UNION ALL "
           "SELECT * FROM s_t1 RIGHT JOIN s_t2 ON s_t1.ID = s_t2.CustomerID WHERE s_t1.ID Is Null",
       }) {
    shop->Execute(statement);
  }
  shop->Execute(DropIfExists("s_t1"));
  shop->Execute(DropIfExists("s_t2"));
  EXPECT_EQ(server.TableNames("Shop"), QStringList({"Customers", "Orders", "Joined"}));
  const FakeServer::Table* joined = server.FindTable("Shop", "Joined");
  EXPECT_EQ(joined->columns, QStringList({"ID", "Name", "ID_A", "CustomerID", "Total"}));
  EXPECT_EQ(joined->rows,
            std::vector<Row>({FakeServer::TextRow({"1", "Ann", "7", "1", "9.5"}),
                              FakeServer::TextRow({"2", "Bob", nullptr, nullptr, nullptr})}));

  // Names with "]" and "'" as a careful caller escapes them.
  server.AddTable("Shop", "it's [x]", {"A"});
  shop->Execute(
      "if exists (select * from sysobjects where id = object_id(N'[it''s [x]]]') and "
      "OBJECTPROPERTY(id, N'IsUserTable') = 1) drop table [it's [x]]];");
  EXPECT_EQ(server.FindTable("Shop", "it's [x]"), nullptr);
}

TEST(FakeServer, RecordsetsFetchLazilyFromASnapshot) {
  FakeServer server;
  server.AddTable(
      "Shop", "T", {"A"},
      {FakeServer::TextRow({"1"}), FakeServer::TextRow({"2"}), FakeServer::TextRow({"3"})});
  auto shop = OpenShop();

  auto recordset = shop->Execute("SELECT * FROM [T]");
  shop->Execute("INSERT INTO [T] VALUES('4')");  // not in the snapshot
  EXPECT_EQ(FieldNames(*recordset), QStringList({"A"}));
  EXPECT_EQ(server.RowsFetched(), 0);
  EXPECT_FALSE(recordset->Eof());
  EXPECT_EQ(server.RowsFetched(), 1);
  EXPECT_EQ(recordset->FieldValue(0).text, "1");
  recordset->MoveNext();
  EXPECT_EQ(server.RowsFetched(), 2);
  EXPECT_EQ(ReadAll(*recordset).size(), 2u);
  EXPECT_EQ(server.RowsFetched(), 3);
  EXPECT_THROW(recordset->MoveNext(), adodb::Error);
  EXPECT_THROW(recordset->FieldValue(0), adodb::Error);
  EXPECT_TRUE(shop->Execute("INSERT INTO [T] VALUES('5')")->Eof());
  EXPECT_EQ(server.RowsFetched(), 3);

  server.FailFetchAfter(2, "Communication link failure");
  auto failing = shop->Execute("SELECT * FROM [T]");
  EXPECT_FALSE(failing->Eof());
  failing->MoveNext();
  try {
    failing->MoveNext();
    FAIL() << "the third fetch did not fail";
  } catch (const adodb::Error& error) {
    EXPECT_EQ(error.Description(), "Communication link failure");
  }
  EXPECT_THROW(failing->Eof(), adodb::Error);  // the cursor stays broken
  EXPECT_EQ(server.RowsFetched(), 5);
}

TEST(FakeServer, DescribeLogsAndRefusesLikeExecuteAndFetchesNoRow) {
  FakeServer server;
  server.AddTable("Shop", "T", {"A", "B"},
                  {FakeServer::TextRow({"1", "x"}), FakeServer::TextRow({"2", nullptr})});
  server.AddTable("Shop", "Locked", {"A"});
  server.RefuseStatements("[Locked]", "Permission denied.");
  server.FailFetchAfter(0, "Communication link failure");
  auto shop = OpenShop();

  auto described = shop->Describe("SELECT * FROM [T]");
  EXPECT_EQ(FieldNames(*described), QStringList({"A", "B"}));
  EXPECT_TRUE(described->Eof());
  EXPECT_THROW(described->FieldValue(0), adodb::Error);
  EXPECT_THROW(described->MoveNext(), adodb::Error);
  EXPECT_EQ(server.RowsFetched(), 0);

  auto describeError = [&](const QString& statement) {
    try {
      shop->Describe(statement);
    } catch (const adodb::Error& error) {
      return error;
    }
    ADD_FAILURE() << "no error from " << statement.toStdString();
    return adodb::Error({}, {}, 0);
  };
  EXPECT_EQ(describeError("SELECT * FROM [Nowhere]").Description(),
            "Invalid object name 'Nowhere'.");
  EXPECT_EQ(describeError("SELECT * FROM [Locked]").Description(), "Permission denied.");
  EXPECT_EQ(server.Statements(), QStringList({"SELECT * FROM [T]", "SELECT * FROM [Nowhere]",
                                              "SELECT * FROM [Locked]"}));

  auto closed = adodb::CreateConnection();
  EXPECT_THROW(closed->Describe("SELECT * FROM [T]"), adodb::Error);
  EXPECT_EQ(server.Statements().size(), 3);
}

}  // namespace
