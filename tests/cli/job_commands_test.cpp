// The join and append commands over the FakeServer: the engines' statements, their messages on
// standard error, a question refused without a terminal, and the exit codes.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>

#include "cli/cli_run.h"
#include "connections/profile_settings.h"
#include "support/fake_server.h"
#include "support/qt_printers.h"
#include "support/scripted_terminal.h"
#include "support/temp_settings.h"

namespace {

class JobCommands : public ::testing::Test {
 protected:
  JobCommands() {
    profile_settings::Write("Server", "alpha");
    profile_settings::Write("Database", "sales");
    profile_settings::Write("User", "ann");
    profile_settings::Write("Password", "pw1");
    profile_settings::Write("Server2", "beta");
    profile_settings::Write("Database2", "stock");
    profile_settings::Write("User2", "bob");
    profile_settings::Write("Password2", "pw2");
    server.AddTable("sales", "Customers", {"ID", "Name"}, {FakeServer::TextRow({"1", "Ann"})});
    server.AddTable("sales", "Orders", {"ID", "CustomerID"}, {FakeServer::TextRow({"7", "1"})});
  }

  bool Ran(const QString& statementStart) const {
    for (const QString& statement : server.Statements()) {
      if (statement.startsWith(statementStart)) return true;
    }
    return false;
  }

  TempSettings settings;
  FakeServer server;
  ScriptedTerminal nobody{false};
};

TEST_F(JobCommands, JoinWritesTheNewTableAndRefusesAnOverwriteNobodyConfirmed) {
  const QStringList join = {"join", "Customers", "ID", "Orders", "CustomerID", "--into", "Joined"};
  CliRun run = RunCli(join);
  EXPECT_EQ(run.exitCode, cli::kDone) << run.err.toStdString();
  EXPECT_TRUE(run.err.startsWith("Joined into sales.dbo.Joined")) << run.err.toStdString();
  EXPECT_EQ(run.err.count('\n'), 1);
  EXPECT_EQ(run.out, QString());
  EXPECT_TRUE(Ran("SELECT * INTO [Joined] FROM s_t1 LEFT JOIN s_t2"));
  EXPECT_TRUE(QApplication::allWidgets().isEmpty());

  const qsizetype statements = server.Statements().size();
  run = RunCli(join);
  EXPECT_EQ(run.exitCode, cli::kRefused);
  EXPECT_TRUE(
      run.err.contains("Such table exist already: sales.dbo.Joined.\n\nDo you want to "
                       "overwrite it?\nNo terminal to answer on: refused. "
                       "--overwrite answers yes."))
      << run.err.toStdString();
  for (const QString& statement : server.Statements().mid(statements)) {
    EXPECT_FALSE(statement.contains("drop table", Qt::CaseInsensitive)) << statement.toStdString();
  }
  run = RunCli(join + QStringList{"--overwrite"});
  EXPECT_EQ(run.exitCode, cli::kDone) << run.err.toStdString();
}

TEST_F(JobCommands, AppendCopiesTheRowsAndAMismatchIsARefusal) {
  server.AddTable("stock", "Orders", {"ID", "CustomerID"});
  CliRun run = RunCli({"append", "--to", "2", "Orders", "Orders", "--one-by-one"});
  EXPECT_EQ(run.exitCode, cli::kDone) << run.err.toStdString();
  EXPECT_TRUE(run.err.startsWith("1 row appended to stock.dbo.Orders, in "))
      << run.err.toStdString();
  EXPECT_EQ(server.FindTable("stock", "Orders")->rows.size(), 1u);
  // One login a database: the logins that checked the tables append the rows; a third holds
  // the run's mark, asked for while they checked.
  EXPECT_EQ(server.Connections().size(), 3u);
  run = RunCli({"append", "--to", "2", "Orders", "Orders", "--fast"});
  EXPECT_EQ(run.exitCode, cli::kDone) << run.err.toStdString();
  EXPECT_EQ(server.FindTable("stock", "Orders")->rows.size(), 2u);

  server.AddTable("stock", "Wide", {"A", "B", "C"});
  run = RunCli({"append", "--to", "2", "Orders", "Wide"});
  EXPECT_EQ(run.exitCode, cli::kRefused);
  EXPECT_TRUE(
      run.err.contains("ombrelia: Tables do not have same number of fields (columns): "
                       "sales.dbo.Orders has 2, stock.dbo.Wide has 3.\n"))
      << run.err.toStdString();
  EXPECT_EQ(server.FindTable("stock", "Wide")->rows.size(), 0u);

  server.RefuseOpen("Server=beta");
  run = RunCli({"append", "--to", "1", "Orders", "Orders"});
  EXPECT_EQ(run.exitCode, cli::kNotConnected);
  EXPECT_TRUE(
      run.err.startsWith("ombrelia: cannot open Database #2, stock on beta,1433 as bob: "
                         "the login was refused: "));
}

// A failure is one line with the server's text, and the job ends there: a table that is not
// there is found before anything is written, a statement the server refuses ends the join with
// its staging copies dropped, and a refused row is lost alone.
TEST_F(JobCommands, OneFailureOneLine) {
  CliRun run = RunCli({"append", "--to", "2", "Ordres", "Orders", "--quiet"});
  EXPECT_EQ(run.exitCode, cli::kRefused);
  EXPECT_TRUE(run.err.startsWith("ombrelia: cannot read table 'Ordres' in sales: "));
  EXPECT_TRUE(run.err.endsWith(" (did you mean 'Orders'?)\n")) << run.err.toStdString();
  EXPECT_FALSE(Ran("INSERT"));

  run = RunCli({"join", "Customers", "ID", "Orders", "Customer", "--into", "Joined"});
  EXPECT_EQ(run.exitCode, cli::kRefused);
  EXPECT_EQ(run.err,
            "ombrelia: no field 'Customer' in table 'Orders' of sales (did you mean "
            "'CustomerID'?)\n");
  // Two letters swapped are one slip, whatever their case.
  run = RunCli({"join", "Customers", "NMAE", "Orders", "CustomerID", "--into", "Joined"});
  EXPECT_TRUE(run.err.endsWith("(did you mean 'Name'?)\n")) << run.err.toStdString();
  server.RefuseStatements("SELECT * INTO [Joined]", "CREATE TABLE permission denied.");
  run = RunCli({"join", "Customers", "id", "Orders", "CustomerID", "--into", "Joined"});
  EXPECT_EQ(run.exitCode, cli::kRefused);
  EXPECT_EQ(run.err,
            "ombrelia: cannot join Customers and Orders into sales.dbo.Joined: CREATE TABLE "
            "permission denied.\n");
  // No staging copy was left before: only the two made are dropped.
  EXPECT_EQ(server.Statements().filter("drop table [s_t").size(), 2);

  server.AddTable("stock", "Orders", {"ID", "CustomerID"});
  server.AddTable("sales", "More", {"ID", "CustomerID"},
                  {FakeServer::TextRow({"8", "1"}), FakeServer::TextRow({"9", "2"})});
  server.RefuseStatements("VALUES('8'", "Violation of PRIMARY KEY constraint.");
  run = RunCli({"append", "--to", "2", "More", "Orders"});
  EXPECT_EQ(run.exitCode, cli::kRefused);
  EXPECT_TRUE(
      run.err.startsWith("ombrelia: cannot write a row to stock.dbo.Orders: Violation of "
                         "PRIMARY KEY constraint.\n1 row appended to stock.dbo.Orders, 1 "
                         "refused, in "))
      << run.err.toStdString();
}

}  // namespace

TEST_F(JobCommands,
       AppendTakesATableOfAnotherSchemaAsTheServerReadsItAndAsksBeforeDifferingColumns) {
  server.AddTableIn("stock", "archive", "Orders", {"CustomerID", "ID"});
  server.SetColumnFacts("sales", "", "Orders", {{"ID", "int"}, {"CustomerID", "int"}});
  server.SetColumnFacts("stock", "archive", "Orders", {{"CustomerID", "int"}, {"ID", "int"}});
  CliRun run = RunCli({"append", "--to", "2", "Orders", "archive.Orders"});
  EXPECT_EQ(run.exitCode, cli::kRefused);
  EXPECT_TRUE(run.err.contains("CustomerID: column 2 -> column 1")) << run.err.toStdString();
  EXPECT_TRUE(server.FindTableIn("stock", "archive", "Orders")->rows.empty());
  // The same columns in another order: --yes does not say which way.
  EXPECT_EQ(RunCli({"append", "--to", "2", "Orders", "archive.Orders", "--yes"}).exitCode,
            cli::kRefused);
  run =
      RunCli({"append", "--to", "2", "Orders", "ARCHIVE.orders", "--by-position", "--one-by-one"});
  EXPECT_EQ(run.exitCode, cli::kDone) << run.err.toStdString();
  EXPECT_TRUE(Ran("INSERT INTO [ARCHIVE].[orders] VALUES('7', '1')"));
  run = RunCli({"append", "--to", "2", "Orders", "archive.Orders", "--by-name", "--one-by-one"});
  EXPECT_TRUE(Ran("INSERT INTO [archive].[Orders] ([CustomerID], [ID]) VALUES('1', '7')"));
}

// --where on the one INSERT a row and on the server's copy, a dry run that writes nothing, and
// --max-refused stopping at the Nth refused row with those rows in the file, on both ways.
TEST_F(JobCommands, AppendScriptedWithWhereDryRunAndMaxRefused) {
  server.AddTable("stock", "Orders", {"ID", "CustomerID"});
  server.AddTable("sales", "More", {"ID", "CustomerID"},
                  {FakeServer::TextRow({"1", "1"}), FakeServer::TextRow({"2", "1"}),
                   FakeServer::TextRow({"3", "2"}), FakeServer::TextRow({"4", "2"})});
  server.SetColumnFacts("stock", "", "Orders", {{"ID", "int"}, {"CustomerID", "int"}});
  server.SetColumnFacts("sales", "", "More", {{"ID", "int"}, {"CustomerID", "int"}});
  const QStringList more = {"append", "--to", "2", "More", "Orders"};
  CliRun run = RunCli(more + QStringList{"--where", "CustomerID = 2", "--dry-run", "--one-by-one"});
  EXPECT_EQ(run.exitCode, cli::kDone) << run.err.toStdString();
  EXPECT_EQ(run.Lines(),
            QStringList({"Way: one INSERT a row (--one-by-one).",
                         "Columns (source -> target):", "  ID -> ID", "  CustomerID -> CustomerID",
                         "Source rows that would go: 2 rows of sales.dbo.More where "
                         "CustomerID = 2.",
                         "Target rows now: 0 rows in stock.dbo.Orders.",
                         "Resume: a run cut off could not go on where it stopped (--resume): "
                         "More has no primary key and no unique index whose columns are all "
                         "NOT NULL."}));
  EXPECT_FALSE(Ran("INSERT"));
  EXPECT_TRUE(
      RunCli(more + QStringList{"--fast", "--dry-run"}).out.startsWith("Way: the server's"));
  EXPECT_FALSE(Ran("INSERT"));

  run = RunCli(more + QStringList{"--where", "CustomerID = 2", "--one-by-one"});
  EXPECT_TRUE(
      run.err.startsWith("2 rows appended to stock.dbo.Orders (the source's rows where "
                         "CustomerID = 2), in "))
      << run.err.toStdString();
  EXPECT_TRUE(Ran("SELECT * FROM [More] WHERE (CustomerID = 2\n)"));
  run = RunCli(more + QStringList{"--where", "ID < 2", "--fast"});
  // The condition is read in the source's database: the copy goes from the source's session.
  EXPECT_TRUE(Ran("INSERT INTO [stock].[dbo].[Orders] SELECT * FROM [More] WHERE (ID < 2\n)"));
  EXPECT_EQ(server.FindTable("stock", "Orders")->rows.size(), 3u);

  server.RefuseStatements("'2'", "Violation of CHECK constraint.");
  server.RefuseStatements("SELECT * FROM [sales]", "The server's copy is refused.");
  const QString file = settings.Folder() + "/refused.csv";
  for (const char* way : {"--one-by-one", "--fast"}) {
    run = RunCli(more + QStringList{"--max-refused", "2", "--refused", file, way});
    EXPECT_EQ(run.exitCode, cli::kRefused) << way;
    EXPECT_TRUE(run.err.contains("Stopped at the limit of 2 rows refused: 1 row appended"))
        << run.err.toStdString();
    QFile refused(file);
    ASSERT_TRUE(refused.open(QIODevice::ReadOnly));
    EXPECT_EQ(refused.readAll().count('\n'), 3) << way;  // the header and two rows
  }
}
