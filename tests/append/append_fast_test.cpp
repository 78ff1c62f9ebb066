// The fast append on the in-memory server: the check box, the batches across servers, the
// server's own copy on one server and its fall-back, and a table appended to itself.

#include <QCheckBox>

#include "append_fixture.h"

namespace {

std::vector<FakeServer::Row> NumberedRows(int count) {
  std::vector<FakeServer::Row> rows;
  for (int i = 1; i <= count; ++i) rows.push_back({adodb::Value::Text(QString::number(i))});
  return rows;
}

class FastAppend : public AppendRun {
 protected:
  QCheckBox& FastBox() { return *Page().findChild<QCheckBox*>("Check1"); }

  // Both logins on the server of Database #1.
  static void OnOneServer() {
    Store("Server2", "sql1");
    Store("User2", "ann");
  }
};

}  // namespace

TEST_F(FastAppend, TheBoxIsOffAtFirstAndRemembered) {
  server.AddTable("db1", "T", {"a"});
  server.AddTable("db2", "Source", {"a"}, NumberedRows(1));
  OpenPage();
  EXPECT_FALSE(FastBox().isChecked());
  EXPECT_FALSE(StoredKeys().contains("Fast Append=0"));
  FastBox().setChecked(true);
  EXPECT_TRUE(StoredKeys().contains("Fast Append=1"));
  Append("T", "Source");
  EXPECT_TRUE(FastBox().isEnabled());
  wizard = std::make_unique<wizard::Wizard>();
  OpenPage();
  EXPECT_TRUE(FastBox().isChecked());
}

// Across servers: the rows go a thousand to a statement, and a refused row is lost alone.
TEST_F(FastAppend, AcrossServersRowsGoInBatchesAndOnlyTheRefusedRowIsLost) {
  server.AddTable("db1", "T", {"a"});
  server.AddTable("db2", "Source", {"a"}, NumberedRows(2500));
  server.RefuseStatements("'7'", "Conversion failed when converting '7'.");
  OpenPage();
  FastBox().setChecked(true);
  Append("T", "Source");
  EXPECT_EQ(StatementsOnConnection(2), QStringList({FactsQuery("Source"), FillsQuery("Source", {}),
                                                    "SELECT COUNT_BIG(*) FROM [Source]",
                                                    KeyQuery("Source"), "SELECT * FROM [Source]"}));
  const QStringList inserts = InsertsOf(StatementsOnConnection(1));
  EXPECT_EQ(inserts.first().count("), ("), 999);
  EXPECT_EQ(server.FindTable("db1", "T")->rows.size(), 2499u);
  ASSERT_EQ(dialogs.Texts().size(), 2);
  EXPECT_EQ(dialogs.Texts()[0], ErrorReport("Conversion failed when converting '7'.", 148));
  EXPECT_TRUE(dialogs.Texts()[1].startsWith(
      "Done.\r\n\r\n2499 rows appended, 1 refused by the server:\r\n"
      "Conversion failed when converting '7'.\r\nThe refused rows are in "));
  ExpectAtRest();
}

// On one server, as the servers prove it, the server copies the rows itself, reading the source
// in the schema its own login resolves; when it refuses, the batches find the rows. A server
// that cannot prove it (the target's login may not see other sessions) gets batches.
TEST_F(FastAppend, OnOneServerTheServerCopiesAndARefusedCopyFallsBackToBatches) {
  OnOneServer();
  server.AddTable("db1", "T", {"a"});
  server.AddTable("db2", "Source", {"a"}, NumberedRows(3));
  server.SetColumnFacts("db1", "", "T", {{"a", "int"}});
  server.SetColumnFacts("db2", "", "Source", {{"a", "int"}});
  OpenPage();
  FastBox().setChecked(true);
  Append("T", "Source");
  EXPECT_EQ(InsertsOf(StatementsOnConnection(1)),
            QStringList({"INSERT INTO [T] SELECT * FROM [db2].[dbo].[Source]"}));
  EXPECT_EQ(dialogs.Texts(), QStringList({"Done."}));
  EXPECT_EQ(server.FindTable("db1", "T")->rows.size(), 3u);
  // The server copies: no row of the source is read here, only the run's mark on the target,
  // the servers' own rows about the tables (the target's with its rows counted; the columns it
  // fills itself wait for a refusal), the sessions that hold the source's mark and the target's
  // count after the copy.
  EXPECT_EQ(RowsFetchedByRun(), 5);

  server.RefuseStatements("SELECT * FROM [db2]", "Arithmetic overflow.");
  Press();
  EXPECT_EQ(InsertsOf(RunStatements()),
            QStringList({"INSERT INTO [T] SELECT * FROM [db2].[dbo].[Source]",
                         "INSERT INTO [T] VALUES('1'), ('2'), ('3')"}));
  EXPECT_EQ(dialogs.Texts().last(), "Done.");
  EXPECT_EQ(server.FindTable("db1", "T")->rows.size(), 6u);

  server.ClearFaults();
  server.RefuseStatements("sys.dm_exec_sessions", "VIEW SERVER STATE permission was denied.");
  Press();
  EXPECT_EQ(InsertsOf(RunStatements()), QStringList({"INSERT INTO [T] VALUES('1'), ('2'), ('3')"}));
  EXPECT_EQ(dialogs.Texts().last(), "Done.");
}

// The very same login on both databases: one session looks at both tables and the server
// copies; the source's own login is opened only when a refused copy sends the rows in batches.
TEST_F(FastAppend, OneLoginOnBothDatabasesCopiesOnOneSession) {
  OnOneServer();
  Store("Password2", "pw1");
  server.AddTable("db1", "T", {"a"});
  server.AddTable("db2", "Source", {"a"}, NumberedRows(3));
  server.SetColumnFacts("db1", "", "T", {{"a", "int"}});
  server.SetColumnFacts("db2", "", "Source", {{"a", "int"}});
  OpenPage();
  FastBox().setChecked(true);
  std::size_t from = server.Connections().size();
  const auto loginsOfRun = [&] {
    const auto& all = server.Connections();
    const auto opened = std::count_if(all.begin() + static_cast<std::ptrdiff_t>(from), all.end(),
                                      [](const auto& connection) { return connection.opened; });
    from = all.size();
    return opened;
  };
  Append("T", "Source");
  EXPECT_EQ(dialogs.Texts(), QStringList({"Done."}));
  EXPECT_EQ(server.FindTable("db1", "T")->rows.size(), 3u);
  EXPECT_EQ(loginsOfRun(), 1);

  server.RefuseStatements("SELECT * FROM [db2]", "Arithmetic overflow.");
  Press();
  EXPECT_EQ(dialogs.Texts().last(), "Done.");
  EXPECT_EQ(server.FindTable("db1", "T")->rows.size(), 6u);
  EXPECT_EQ(loginsOfRun(), 2);
}

// Each row of a table appended to itself is written once more, also through the batches.
TEST_F(FastAppend, ATableAppendedToItselfGetsEachRowOnceMore) {
  OnOneServer();
  StoreLogins("db1", "db1");
  OnOneServer();
  server.AddTable("db1", "T", {"a"}, NumberedRows(3));
  OpenPage();
  FastBox().setChecked(true);
  server.RefuseStatements("SELECT * FROM [db1]", "Not on this server.");
  Append("T", "T");
  EXPECT_EQ(server.FindTable("db1", "T")->rows.size(), 6u);
  EXPECT_EQ(dialogs.Texts(), QStringList({"Done."}));
}

// A stop before the server's copy begins sends no copy; the closing message counts what the
// target received, also when a batch's second half meets a lost connection.
TEST_F(FastAppend, AStopBeforeTheCopyAndALostConnectionAreCountedAsTheTargetReceivedThem) {
  OnOneServer();
  server.AddTable("db1", "T", {"a"});
  server.AddTable("db2", "Source", {"a"}, NumberedRows(4));
  OpenPage();
  FastBox().setChecked(true);
  server.BlockStatements("SELECT TOP 0 * FROM [Source]", [&] {
    Page().PushButton2_Click();
    server.Release();
  });
  Append("T", "Source");
  EXPECT_TRUE(InsertsOf(RunStatements()).isEmpty());
  EXPECT_EQ(dialogs.Texts(), QStringList({"Stopped. 0 rows appended."}));
  EXPECT_TRUE(server.FindTable("db1", "T")->rows.empty());

  // The batch of four is refused for its last row; its first run, of one row, is written, then
  // the connection goes.
  dialogs.Clear();
  server.ClearFaults();
  server.RefuseStatements("SELECT * FROM [db2]", "Not on this server.");
  server.RefuseStatements("'4'", "Conversion failed.");
  // The look that counts the target is refused here and asked again without the count.
  server.LoseConnectionAfter(7, "Database=db1");
  Press();
  EXPECT_EQ(server.FindTable("db1", "T")->rows, NumberedRows(1));
  EXPECT_EQ(dialogs.Texts().last(),
            "The connection to Database #1 was lost.\r\n\r\n1 row was appended before the "
            "connection was lost; the other 3 rows were not written.\r\n\r\nThe target "
            "table's growth could not be checked: the connection to it was lost.");
}

// Two logins that name one server differently reach one table: the servers say so, and the
// server copies the table into itself once.
TEST_F(FastAppend, ATableReachedThroughTwoServerNamesIsKnownByItsServer) {
  StoreLogins("db1", "db1");
  Store("Server2", "127.0.0.1");
  server.AddTable("db1", "T", {"a"}, NumberedRows(3));
  server.SetColumnFacts("db1", "", "T", {MSSQL::ColumnFacts{"a", "int"}});
  OpenPage();
  FastBox().setChecked(true);
  Append("T", "T");
  EXPECT_EQ(InsertsOf(RunStatements()),
            QStringList({"INSERT INTO [T] SELECT * FROM [db1].[dbo].[T]"}));
  EXPECT_EQ(server.FindTable("db1", "T")->rows.size(), 6u);
  EXPECT_EQ(dialogs.Texts(), QStringList({"Done."}));
}
