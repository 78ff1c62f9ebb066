#include <gtest/gtest.h>
#include <QListWidget>

#include "join/field_name_registry.h"
#include "join/join_engine.h"
#include "join/join_page_report.h"
#include "join/join_statements.h"
#include "join/staging_journal.h"
#include "shell/list_selection.h"
#include "shell/page.h"
#include "support/fake_server.h"
#include "support/lists.h"
#include "support/scripted_dialogs.h"

namespace {

const char kS1[] =
    "if exists (select * from sysobjects where id = object_id(N'[s_t1]') and "
    "OBJECTPROPERTY(id, N'IsUserTable') = 1) drop table [s_t1];";
const char kS2[] =
    "if exists (select * from sysobjects where id = object_id(N'[s_t2]') and "
    "OBJECTPROPERTY(id, N'IsUserTable') = 1) drop table [s_t2];";
// Each staging copy's object, once it is made, for the journal.
const char kMade1[] = "SELECT OBJECT_ID(N'[s_t1]', N'U')";
const char kMade2[] = "SELECT OBJECT_ID(N'[s_t2]', N'U')";

class JoinEngineTest : public ::testing::Test {
 protected:
  JoinEngineTest() {
    server.AddTable("db1", "Customers", {"ID", "Name"},
                    {FakeServer::TextRow({"1", "Ann"}), FakeServer::TextRow({"2", "Bob"})});
    server.AddTable("db1", "Orders", {"ID", "CustomerID", "Total"},
                    {FakeServer::TextRow({"10", "1", "5"}), FakeServer::TextRow({"11", "3", "7"})});
    // Staging copies that a join before could not drop, journaled as the program's own.
    server.AddTable("db1", "s_t1", {"x"});
    server.AddTable("db1", "s_t2", {"x"});
    for (const char* staging : {"s_t1", "s_t2"}) {
      StagingJournal("sql1,1433/db1")
          .Made(staging,
                QString::number(reinterpret_cast<quintptr>(server.FindTable("db1", staging))));
    }
    list1.addItems({"Customers", "Orders"});
    list3.addItems({"Customers", "Orders"});
  }

  void Run(JoinSelection selection = {"Customers", "ID", "Orders", "CustomerID"}) {
    JoinPageReport report(page, list1, list3);
    JoinEngine(report, registry).Run(selection, profile, shell::ListedTables(list1));
  }

  // Statements after the two field reads and the question which staging copies are left.
  QStringList StatementsAfterFieldReads() const { return server.Statements().mid(3); }

  FakeServer server;
  ScriptedDialogs dialogs;
  shell::Page page;
  QListWidget list1;
  QListWidget list3;
  FieldNameRegistry registry;
  ConnectionProfile profile{"sql1", "ann", "pw", "db1", "1433", "0"};
};

}  // namespace

TEST_F(JoinEngineTest, WorkedExampleSendsTheSevenStatementsInOrder) {
  dialogs.Type("Joined");
  Run();
  ASSERT_EQ(server.Connections().size(), 1u);
  EXPECT_EQ(
      server.Connections()[0].properties,
      QStringList({"Mode=3", "CommandTimeout=5000", "ConnectionTimeout=5000", "CursorLocation=3"}));
  EXPECT_EQ(server.Connections()[0].connectionString,
            "Driver={SQL Server};Server=sql1,1433;Database=db1;Uid=ann;Pwd=pw;");
  EXPECT_EQ(server.Statements().mid(0, 2),
            QStringList({"SELECT TOP 0 * FROM [Customers]", "SELECT TOP 0 * FROM [Orders]"}));
  EXPECT_EQ(
      StatementsAfterFieldReads(),
      QStringList({kS1, kS2, "SELECT [ID] AS [ID],[Name] AS [Name] INTO s_t1 FROM [Customers]",
                   kMade1,
                   "SELECT [ID] AS [ID_A],[CustomerID] AS [CustomerID],[Total] AS [Total] "
                   "INTO s_t2 FROM [Orders]",
                   kMade2,
                   "SELECT * INTO [Joined] FROM s_t1 LEFT JOIN s_t2 ON s_t1.ID=s_t2.CustomerID "
                   "UNION ALL SELECT * FROM s_t1 RIGHT JOIN s_t2 ON s_t1.ID = s_t2.CustomerID "
                   "WHERE s_t1.ID Is Null",
                   kS1, kS2}));
  const FakeServer::Table* joined = server.FindTable("db1", "Joined");
  ASSERT_NE(joined, nullptr);
  EXPECT_EQ(joined->columns, QStringList({"ID", "Name", "ID_A", "CustomerID", "Total"}));
  EXPECT_EQ(server.FindTable("db1", "s_t1"), nullptr);
  EXPECT_EQ(dialogs.Texts(), QStringList({"Enter name of new table: ", "Done."}));
  EXPECT_EQ(dialogs.Boxes()[0].title, dialogs.Boxes()[1].title);
  EXPECT_EQ(Entries(list1), QStringList({"Customers", "Orders", "Joined"}));
  EXPECT_EQ(Entries(list3), QStringList({"Customers", "Orders", "Joined"}));
  EXPECT_EQ(page.MousePointer(), 0);
  EXPECT_EQ(server.RowsFetched(), 3);  // the staging copies left, and each made
  // Each copy in a transaction of its own, noted before it commits.
  EXPECT_EQ(server.Transactions(),
            QStringList({"BeginTrans", "CommitTrans", "BeginTrans", "CommitTrans"}));
  EXPECT_EQ(server.LiveConnections(), 0);

  // Without staging copies left, none is dropped before the copies are made.
  const qsizetype before = server.Statements().size();
  dialogs.Type("Joined2");
  Run();
  const QStringList second = server.Statements().mid(before + 2);
  EXPECT_EQ(second.first(),
            "SELECT OBJECT_ID(N'[s_t1]', N'U'), OBJECT_ID(N'[s_t2]', N'U'), CASE WHEN N'a' = "
            "N'A' THEN 1 ELSE 0 END");
  EXPECT_TRUE(second.at(1).startsWith("SELECT [ID] AS [ID],[Name] AS [Name] INTO s_t1"));
}

TEST_F(JoinEngineTest, MissingSelectionOnlySaysSo) {
  JoinPageReport report(page, list1, list3);
  JoinEngine(report, registry).Run(std::nullopt, profile, shell::ListedTables(list1));
  EXPECT_EQ(dialogs.Texts(), QStringList({"Please select a table and field from each database."}));
  EXPECT_TRUE(server.Connections().empty());
  EXPECT_EQ(page.MousePointer(), 0);
}

TEST_F(JoinEngineTest, CancelEmptyNameOrNoChangesNothing) {
  dialogs.Type("");
  Run();
  list1.addItem("joined");
  server.AddTable("db1", "joined", {"x"});
  dialogs.Type("Joined");
  dialogs.Answer(dialogs::vbNo);
  Run();
  EXPECT_EQ(server.Statements().size(), 6);  // the field reads and the look of both runs only
  EXPECT_NE(server.FindTable("db1", "joined"), nullptr);
  EXPECT_EQ(dialogs.Boxes().back().text,
            "Such table exist already.\r\n\r\nDo you want to overwrite it?");
  EXPECT_EQ(dialogs.Boxes().back().flags, 260);
  EXPECT_EQ(dialogs.Boxes().back().title, "Information");
  EXPECT_EQ(page.MousePointer(), 0);
}

TEST_F(JoinEngineTest, OverwritingANameListedInAnotherCaseKeepsBothForms) {
  list1.addItem("joined");
  list3.addItem("joined");
  server.AddTable("db1", "joined", {"x"});
  dialogs.Type("Joined");
  dialogs.Answer(dialogs::vbYes);
  Run();
  EXPECT_EQ(server.Statements().at(3), join_statements::DropIfExists("Joined"));
  EXPECT_EQ(server.FindTable("db1", "Joined")->columns.size(), 5);
  EXPECT_EQ(Entries(list1), QStringList({"Customers", "Orders", "joined", "Joined"}));
  EXPECT_EQ(dialogs.Texts().back(), "Done.");
}

// The old table is dropped in a transaction that only a successful join commits; the statements
// stay those of an ordinary overwrite.
TEST_F(JoinEngineTest, AnOverwriteWhoseJoinFailsKeepsTheOldTable) {
  list1.addItem("Joined");
  server.AddTable("db1", "Joined", {"Old"}, {FakeServer::TextRow({"42"})});
  server.RefuseStatements("SELECT * INTO", "Operand type clash: date is incompatible with int");
  dialogs.Type("Joined");
  dialogs.Answer(dialogs::vbYes);
  Run();
  EXPECT_EQ(server.Transactions(), QStringList({"BeginTrans", "RollbackTrans"}));
  EXPECT_EQ(server.Statements().at(3), join_statements::DropIfExists("Joined"));
  const FakeServer::Table* old = server.FindTable("db1", "Joined");
  ASSERT_NE(old, nullptr);
  EXPECT_EQ(old->columns, QStringList({"Old"}));
  EXPECT_EQ(old->rows.size(), 1u);
  EXPECT_EQ(server.FindTable("db1", "s_t1"), nullptr);
  EXPECT_EQ(server.FindTable("db1", "s_t2"), nullptr);
  ASSERT_EQ(dialogs.Texts().size(), 3);
  EXPECT_TRUE(dialogs.Texts()[2].startsWith("Operand type clash"));
  server.ClearFaults();
  dialogs.Type("Joined");
  dialogs.Answer(dialogs::vbYes);
  Run();
  EXPECT_EQ(server.Transactions().mid(2), QStringList({"BeginTrans", "CommitTrans"}));
  EXPECT_EQ(server.FindTable("db1", "Joined")->columns.size(), 5);
  EXPECT_EQ(dialogs.Texts().back(), "Done.");
}

TEST_F(JoinEngineTest, AFailedJoinIsReportedAndTheStagingCopiesAreStillDropped) {
  server.RefuseStatements("SELECT * INTO", "There is already an object named 'Joined'.");
  list1.addItems({"s_t1", "s_t2"});
  list3.addItem("s_t1");
  dialogs.Type("Joined");
  Run();
  EXPECT_EQ(StatementsAfterFieldReads().mid(7), QStringList({kS1, kS2}));
  ASSERT_EQ(dialogs.Texts().size(), 2);
  EXPECT_TRUE(dialogs.Texts()[1].startsWith(
      "There is already an object named 'Joined'.\r\nin Kestrava2021/08/31.Form2.PushButton2_Click "
      "at line "));
  // No "Done." and no entry for a table that does not exist; stale staging names are gone.
  EXPECT_EQ(Entries(list1), QStringList({"Customers", "Orders"}));
  EXPECT_EQ(Entries(list3), QStringList({"Customers", "Orders", "s_t1"}));
  EXPECT_EQ(server.FindTable("db1", "s_t1"), nullptr);
  EXPECT_EQ(page.MousePointer(), 0);
}

TEST_F(JoinEngineTest, AFailedCopyIsReportedAndNothingIsAnnounced) {
  server.RefuseStatements("INTO s_t2", "Column names in each table must be unique.");
  dialogs.Type("Joined");
  Run();
  EXPECT_EQ(server.FindTable("db1", "Joined"), nullptr);
  EXPECT_FALSE(dialogs.Texts().contains("Done."));
  // Only the copy the run made is dropped.
  EXPECT_EQ(StatementsAfterFieldReads().mid(6), QStringList({kS1}));
  EXPECT_EQ(Entries(list1), QStringList({"Customers", "Orders"}));
}

TEST_F(JoinEngineTest, JoinColumnsThatAreNotPlainNamesAreBracketed) {
  server.AddTable("db1", "Visits", {"Order Date", "Who"}, {FakeServer::TextRow({"d1", "Ann"})});
  server.AddTable("db1", "Sales", {"Order Date", "Sum"}, {FakeServer::TextRow({"d1", "9"})});
  dialogs.Type("Daily");
  Run({"Visits", "Order Date", "Sales", "Order Date"});
  EXPECT_EQ(
      StatementsAfterFieldReads()[6],
      "SELECT * INTO [Daily] FROM s_t1 LEFT JOIN s_t2 ON s_t1.[Order Date]=s_t2.[Order "
      "Date_A] UNION ALL SELECT * FROM s_t1 RIGHT JOIN s_t2 ON s_t1.[Order Date] = s_t2.[Order "
      "Date_A] WHERE s_t1.[Order Date] Is Null");
  ASSERT_NE(server.FindTable("db1", "Daily"), nullptr);
  EXPECT_EQ(server.FindTable("db1", "Daily")->rows.size(), 1u);
}

TEST_F(JoinEngineTest, RefusesToDropASourceTable) {
  dialogs.Type("customers");
  Run();
  Run({"s_t1", "ID", "Orders", "ID"});
  EXPECT_EQ(server.Statements().size(), 3);  // the field reads and the look of the first run
  ASSERT_EQ(dialogs.Texts().size(), 3);
  EXPECT_TRUE(dialogs.Texts()[1].startsWith("The new table cannot take the name of a table"));
  EXPECT_TRUE(dialogs.Texts()[2].startsWith("The tables s_t1 and s_t2 hold the join's working"));
  EXPECT_NE(server.FindTable("db1", "s_t1"), nullptr);
  EXPECT_EQ(page.MousePointer(), 0);
}

TEST_F(JoinEngineTest, RefusesBeforeThePromptWhenEveryLetterOfANameIsTaken) {
  QStringList columns{"K"};
  for (char letter = 'A'; letter <= 'Z'; ++letter) columns << QString("K_") + letter;
  server.AddTable("db1", "Wide", columns);
  Run({"Wide", "K", "Wide", "K"});
  ASSERT_EQ(dialogs.Texts().size(), 1);
  EXPECT_TRUE(dialogs.Texts()[0].startsWith("The field K cannot be given a column name"));
  EXPECT_EQ(server.Statements().size(), 3);
}

// One failed login, one report: no field is read, no name asked for, no statement sent.
TEST_F(JoinEngineTest, AConnectionThatCannotOpenIsReportedOnceAndEndsTheRun) {
  server.RefuseOpen("Database=db1");
  Run();
  ASSERT_EQ(dialogs.Texts().size(), 1);
  EXPECT_TRUE(dialogs.Texts()[0].startsWith(
      "Login failed for user.\r\nin Kestrava2021/08/31.Form2.PushButton2_Click at line 106"));
  EXPECT_TRUE(server.Statements().isEmpty());
  EXPECT_EQ(page.MousePointer(), 0);
}

// The session ends while the server makes the second copy: the first one, committed, is known
// for the program's own, and the next join drops it.
TEST_F(JoinEngineTest, ACopyIsNotedBeforeItsTransactionCommits) {
  // Two field reads, the question, S1, S2, the first copy and its object.
  server.LoseConnectionAfter(7, "Database=db1");
  dialogs.Type("Joined");
  Run();
  ASSERT_EQ(server.Statements().size(), 8);
  EXPECT_TRUE(server.Statements()[7].contains("INTO s_t2")) << server.Statements()[7].toStdString();
  EXPECT_EQ(server.Transactions(), QStringList({"BeginTrans", "CommitTrans", "BeginTrans"}));
  const FakeServer::Table* copy = server.FindTable("db1", "s_t1");
  ASSERT_NE(copy, nullptr);
  EXPECT_TRUE(StagingJournal("sql1,1433/db1")
                  .Ours("s_t1", QString::number(reinterpret_cast<quintptr>(copy))));
}

// The connection goes during the staging copies: one report, nothing more sent, and the
// message says the staging tables may be left for the next join to drop.
TEST_F(JoinEngineTest, ALostConnectionEndsTheJoinAfterOneReport) {
  server.LoseConnectionAfter(5, "Database=db1");  // two field reads, the question, S1, S2
  dialogs.Type("Joined");
  Run();
  EXPECT_EQ(server.Statements().size(), 6);
  ASSERT_EQ(dialogs.Texts().size(), 3);
  EXPECT_TRUE(
      dialogs.Texts()[1].startsWith("[FreeTDS][SQL Server]Communication link failure\r\nin "
                                    "Kestrava2021/08/31.Form2.PushButton2_Click at line 132"));
  EXPECT_EQ(dialogs.Texts()[2],
            "The connection to Database #1 was lost, and the join ended. No table was created. "
            "The staging tables s_t1 and s_t2 may be left in Database #1; the next join drops "
            "them.");
  EXPECT_EQ(server.FindTable("db1", "Joined"), nullptr);
  EXPECT_EQ(page.MousePointer(), 0);
}
