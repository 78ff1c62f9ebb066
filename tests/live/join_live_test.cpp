// The join end to end on a live SQL Server (see support/live_server.h): the server runs the
// staging copies and the join, and the new table is read back. Without a server named by
// OMBRELIA_TEST_SERVER these tests skip.

#include <gtest/gtest.h>

#include <QListWidget>
#include <QTimer>
#include <memory>
#include <optional>

#include "catalogue/catalogue.h"
#include "jobs/worker.h"
#include "join/field_name_registry.h"
#include "join/join_engine.h"
#include "join/join_page_report.h"
#include "platform/odbc/adodb.h"
#include "shell/list_selection.h"
#include "shell/page.h"
#include "support/hooked_connection.h"
#include "support/lists.h"
#include "support/live_server.h"
#include "support/scripted_dialogs.h"

namespace {

const QString kCustomers = QStringLiteral("ombrelia_test_customers");
const QString kOrders = QStringLiteral("ombrelia_test_orders");
const QString kJoined = QStringLiteral("ombrelia_test_joined");

// Each row as its values joined by "|", NULL written as NULL; sorted, since a table has no
// order of its own.
QStringList RowsOf(adodb::Recordset& rows) {
  QStringList texts;
  while (!rows.Eof()) {
    QStringList values;
    for (int i = 0; i < rows.FieldCount(); ++i) {
      const adodb::Value value = rows.FieldValue(i);
      values << (value.IsNull() ? QStringLiteral("NULL") : value.text);
    }
    texts << values.join(QLatin1Char('|'));
    rows.MoveNext();
  }
  texts.sort();
  return texts;
}

class JoinLive : public ::testing::Test {
 protected:
  void SetUp() override {
    profile = LiveProfile(1);
    if (!profile) GTEST_SKIP() << kNoLiveServer;
    driver.emplace();
    std::unique_ptr<adodb::Connection> opened = adodb::CreateOdbcConnection();
    opened->Open(BuildConnectionString(*profile));
    connection = std::move(opened);  // from here on, the tables are dropped at the end
    DropTestTables();
    ArrangeSources();
    list1.addItems({kCustomers, kOrders});
    list3.addItems({kCustomers, kOrders});
  }

  void TearDown() override {
    if (connection) DropTestTables();
  }

  void Exec(const QString& sql) { connection->Execute(sql); }

  void DropTestTables() {
    for (const QString& table : {kJoined, kOrders, kCustomers}) {
      Exec(QStringLiteral("IF OBJECT_ID(N'[%1]', N'U') IS NOT NULL DROP TABLE [%1]").arg(table));
    }
  }

  // The worked example, with null keys on both sides and rows that the join would give twice.
  void ArrangeSources() {
    Exec(QStringLiteral("CREATE TABLE [%1] (ID int NULL, Name varchar(20) NULL)").arg(kCustomers));
    Exec(QStringLiteral("INSERT INTO [%1] VALUES (1, 'Ann'), (2, 'Bob'), (2, 'Bob'), (NULL, 'Nil')")
             .arg(kCustomers));
    Exec(QStringLiteral("CREATE TABLE [%1] (ID int NULL, CustomerID int NULL, Total int NULL)")
             .arg(kOrders));
    Exec(QStringLiteral("INSERT INTO [%1] VALUES (10, 1, 5), (11, 1, 7), (12, 4, 9), "
                        "(13, NULL, 3), (14, 5, 1), (14, 5, 1)")
             .arg(kOrders));
  }

  void RunJoin() {
    JoinPageReport report(page, list1, list3);
    JoinEngine(report, registry)
        .Run(JoinSelection{kCustomers, QStringLiteral("ID"), kOrders, QStringLiteral("CustomerID")},
             *profile, shell::ListedTables(list1));
  }

  QStringList StagingTablesLeft() {
    std::unique_ptr<adodb::Recordset> rows = connection->Execute(QStringLiteral(
        "SELECT name FROM sysobjects WHERE name IN (N's_t1', N's_t2') AND xtype = 'U'"));
    return RowsOf(*rows);
  }

  QStringList JoinedRows() {
    std::unique_ptr<adodb::Recordset> rows =
        connection->Execute(QStringLiteral("SELECT * FROM [%1]").arg(kJoined));
    return RowsOf(*rows);
  }

  std::optional<ConnectionProfile> profile;
  std::optional<LiveDriver> driver;
  std::unique_ptr<adodb::Connection> connection;
  ScriptedDialogs dialogs;
  shell::Page page;
  QListWidget list1;
  QListWidget list3;
  FieldNameRegistry registry;
};

}  // namespace

TEST_F(JoinLive, WorkedExampleGivesTheFullOuterJoinAndLeavesNoStagingTables) {
  dialogs.Type(kJoined);
  RunJoin();
  EXPECT_EQ(dialogs.Texts(), QStringList({"Enter name of new table: ", "Done."}));
  EXPECT_EQ(MSSQL::FieldNames(*connection, kJoined),
            QStringList({"ID", "Name", "ID_A", "CustomerID", "Total"}));
  EXPECT_EQ(JoinedRows(), QStringList({
                              "1|Ann|10|1|5",
                              "1|Ann|11|1|7",
                              "2|Bob|NULL|NULL|NULL",
                              "2|Bob|NULL|NULL|NULL",
                              "NULL|NULL|12|4|9",
                              "NULL|NULL|13|NULL|3",
                              "NULL|NULL|14|5|1",
                              "NULL|NULL|14|5|1",
                              "NULL|Nil|NULL|NULL|NULL",
                          }));
  EXPECT_TRUE(StagingTablesLeft().isEmpty());
  EXPECT_EQ(Entries(list1), QStringList({kCustomers, kOrders, kJoined}));
  EXPECT_EQ(Entries(list3), QStringList({kCustomers, kOrders, kJoined}));
  EXPECT_EQ(page.MousePointer(), 0);
}

TEST_F(JoinLive, ConfirmedOverwriteReplacesTheEarlierTable) {
  Exec(QStringLiteral("CREATE TABLE [%1] (Old int NULL)").arg(kJoined));
  list1.addItem(kJoined);
  dialogs.Type(kJoined);
  dialogs.Answer(dialogs::vbYes);
  RunJoin();
  EXPECT_EQ(dialogs.Texts().back(), "Done.");
  EXPECT_EQ(MSSQL::FieldNames(*connection, kJoined),
            QStringList({"ID", "Name", "ID_A", "CustomerID", "Total"}));
  EXPECT_EQ(JoinedRows().size(), 9);
  EXPECT_TRUE(StagingTablesLeft().isEmpty());
}

TEST_F(JoinLive, DeclinedOverwriteChangesNothing) {
  Exec(QStringLiteral("CREATE TABLE [%1] (Old int NULL)").arg(kJoined));
  Exec(QStringLiteral("INSERT INTO [%1] VALUES (42)").arg(kJoined));
  list1.addItem(kJoined);
  dialogs.Type(kJoined);
  dialogs.Answer(dialogs::vbNo);
  RunJoin();
  EXPECT_EQ(MSSQL::FieldNames(*connection, kJoined), QStringList({"Old"}));
  EXPECT_EQ(JoinedRows(), QStringList({"42"}));
  EXPECT_TRUE(StagingTablesLeft().isEmpty());
}

// A statement that keeps the server busy for a while: the rows of a cross join of the catalogue
// with itself, three times, counted. (The test server knows no WAITFOR, and answers a cancel
// only once the statement is over, so the statement is kept to about half a second there; on
// SQL Server it runs far longer, and the cancel ends it at once.)
const QString kLongStatement = QStringLiteral(
    "SELECT COUNT_BIG(*) FROM sys.columns a CROSS JOIN sys.columns b CROSS JOIN sys.columns c");

// The cancel that "Stop Joining" sends reaches the running statement through the driver, and the
// statement fails as cancelled.
TEST_F(JoinLive, ARunningStatementIsCancelledThroughTheDriver) {
  std::unique_ptr<adodb::Connection> waiting = adodb::CreateOdbcConnection();
  waiting->Open(BuildConnectionString(*profile));
  QTimer canceller;
  // Until the statement has reached the server a cancel finds nothing to cancel: try again.
  QObject::connect(&canceller, &QTimer::timeout, [&] { waiting->Cancel(); });
  canceller.start(20);
  try {
    jobs::Wait([&] { waiting->Execute(kLongStatement); });
    ADD_FAILURE() << "the statement was not cancelled";
  } catch (const adodb::Error& error) {
    // SQL Server answers the cancel with HY008 "Operation canceled"; the test server, when the
    // cancel reaches it mid-statement, with its own error about the cancelled statement.
    EXPECT_TRUE(error.SqlState() == "HY008" ||
                error.Description().contains("cancel", Qt::CaseInsensitive))
        << error.SqlState().toStdString() << " " << error.Description().toStdString();
  }
  // The connection serves the next statement.
  EXPECT_EQ(RowsOf(*waiting->Execute(QStringLiteral("SELECT 1"))), QStringList({"1"}));
}

// The keys need brackets in the join statement; keys that are NULL on either side join nothing.
TEST_F(JoinLive, KeysWithABlankInTheirNameAreJoined) {
  DropTestTables();
  Exec(QStringLiteral("CREATE TABLE [%1] ([Customer No] int NULL, [Name] varchar(20) NULL)")
           .arg(kCustomers));
  Exec(QStringLiteral("INSERT INTO [%1] VALUES (1, 'Ann'), (NULL, 'Nil')").arg(kCustomers));
  Exec(QStringLiteral("CREATE TABLE [%1] ([Customer No] int NULL, [Total] int NULL)").arg(kOrders));
  Exec(QStringLiteral("INSERT INTO [%1] VALUES (1, 5), (NULL, 3), (2, 9)").arg(kOrders));
  dialogs.Type(kJoined);
  JoinPageReport report(page, list1, list3);
  JoinEngine(report, registry)
      .Run(JoinSelection{kCustomers, QStringLiteral("Customer No"), kOrders,
                         QStringLiteral("Customer No")},
           *profile, shell::ListedTables(list1));
  EXPECT_EQ(dialogs.Texts(), QStringList({"Enter name of new table: ", "Done."}));
  EXPECT_EQ(MSSQL::FieldNames(*connection, kJoined),
            QStringList({"Customer No", "Name", "Customer No_A", "Total"}));
  EXPECT_EQ(JoinedRows(),
            QStringList({"1|Ann|1|5", "NULL|NULL|2|9", "NULL|NULL|NULL|3", "NULL|Nil|NULL|NULL"}));
  EXPECT_TRUE(StagingTablesLeft().isEmpty());
}

// A number key cannot be compared with an xml one, so the join fails after the old table was
// dropped: the drop is undone with it.
TEST_F(JoinLive, AnOverwriteWhoseJoinFailsLeavesTheOldTableAsItWas) {
  Exec(QStringLiteral("CREATE TABLE [%1] (Old int NULL)").arg(kJoined));
  Exec(QStringLiteral("INSERT INTO [%1] VALUES (42)").arg(kJoined));
  Exec(QStringLiteral("ALTER TABLE [%1] ADD Note xml NULL").arg(kOrders));
  list1.addItem(kJoined);
  dialogs.Type(kJoined);
  dialogs.Answer(dialogs::vbYes);
  JoinPageReport report(page, list1, list3);
  JoinEngine(report, registry)
      .Run(JoinSelection{kCustomers, QStringLiteral("ID"), kOrders, QStringLiteral("Note")},
           *profile, shell::ListedTables(list1));
  // The test server ends the transaction itself on this failure, and the rollback after it is
  // refused and reported too; SQL Server keeps the transaction for the rollback.
  ASSERT_GE(dialogs.Texts().size(), 3);
  EXPECT_TRUE(dialogs.Texts()[2].contains("Form2.PushButton2_Click at line 140"));
  EXPECT_EQ(MSSQL::FieldNames(*connection, kJoined), QStringList({"Old"}));
  EXPECT_EQ(JoinedRows(), QStringList({"42"}));
  EXPECT_TRUE(StagingTablesLeft().isEmpty());
}

// A stop that reaches the server while it joins: a server that ends the statement first (the
// test server does; SQL Server when the cancel comes late) has made the table, and the run says
// so and lists it; otherwise no table is there and none was made.
TEST_F(JoinLive, AStopDuringTheJoinTellsWhetherTheTableWasMade) {
  Exec(QStringLiteral("WITH d AS (SELECT n FROM (VALUES (0),(1),(2),(3),(4),(5),(6),(7),(8),(9)) "
                      "v(n)) INSERT INTO [%1] SELECT a.n + 10 * b.n + 100 * c.n + 1000 * e.n, "
                      "'many' FROM d a, d b, d c, d e")
           .arg(kCustomers));
  dialogs.Type(kJoined);
  JoinPageReport report(page, list1, list3);
  JoinEngine engine(report, registry);
  adodb::SetConnectionProvider([&] {
    return HookedConnection(adodb::CreateOdbcConnection(),
                            {QStringLiteral("INTO [") + kJoined, nullptr, [&] { engine.Stop(); }});
  });
  engine.Run(JoinSelection{kCustomers, QStringLiteral("ID"), kOrders, QStringLiteral("CustomerID")},
             *profile, shell::ListedTables(list1));
  adodb::SetConnectionProvider({});
  const bool made =
      !RowsOf(*connection->Execute(QStringLiteral("SELECT OBJECT_ID(N'[%1]', N'U')").arg(kJoined)))
           .contains(QStringLiteral("NULL"));
  EXPECT_EQ(Entries(list1).contains(kJoined), made);
  const QString said = dialogs.Texts().last();
  EXPECT_EQ(said.contains("No table was created"), !made) << said.toStdString();
  if (made) {
    EXPECT_EQ(JoinedRows().size(), 10008);
  }
  EXPECT_TRUE(StagingTablesLeft().isEmpty());
}
