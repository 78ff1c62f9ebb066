// The command line against a live SQL Server (see support/live_server.h): the login given by
// options and the environment, the connection test and the lists. Without a server named by
// OMBRELIA_TEST_SERVER this test skips.

#include <gtest/gtest.h>

#include <memory>
#include <optional>

#include "cli/cli_run.h"
#include "platform/odbc/adodb.h"
#include "support/live_server.h"
#include "support/qt_printers.h"
#include "support/scripted_terminal.h"
#include "support/temp_settings.h"

namespace {

const QString kTable = QStringLiteral("ombrelia_test_cli_orders");

QString DropTable() {
  return QStringLiteral("IF OBJECT_ID(N'%1', N'U') IS NOT NULL DROP TABLE %1").arg(kTable);
}

// The live login as options, the password in the environment: nothing is stored.
QStringList LoginOptions(const ConnectionProfile& profile, int number = 1) {
  const QString n = QString::number(number);
  return {"--server" + n, profile.Server, "--port" + n,     profile.Port,
          "--user" + n,   profile.User,   "--database" + n, profile.Database};
}

QString Drop(const QString& table) {
  return QStringLiteral("IF OBJECT_ID(N'%1', N'U') IS NOT NULL DROP TABLE %1").arg(table);
}

int CountRows(adodb::Connection& connection, const QString& table) {
  std::unique_ptr<adodb::Recordset> count =
      connection.Execute(QStringLiteral("SELECT COUNT(*) FROM ") + table);
  return count->FieldValue(0).text.toInt();
}

TEST(CliLive, TestTablesAndFieldsWithTheLoginGivenByOptions) {
  const std::optional<ConnectionProfile> profile = LiveProfile(1);
  if (!profile) GTEST_SKIP() << kNoLiveServer;
  const LiveDriver driver;
  const TempSettings settings;
  const ScriptedTerminal nobody(false);
  std::unique_ptr<adodb::Connection> connection = adodb::CreateOdbcConnection();
  connection->Open(BuildConnectionString(*profile));
  connection->ExecuteNoRecords(DropTable());
  connection->ExecuteNoRecords(
      QStringLiteral("CREATE TABLE %1 (ID int, Customer nvarchar(20), Total money)").arg(kTable));

  qputenv("OMBRELIA_PASSWORD1", profile->Password.toUtf8());
  const CliRun test = RunCli(QStringList{"test", "1"} + LoginOptions(*profile));
  const CliRun tables = RunCli(QStringList{"tables", "1"} + LoginOptions(*profile));
  const CliRun fields = RunCli(QStringList{"fields", "1", kTable} + LoginOptions(*profile));
  qputenv("OMBRELIA_PASSWORD1", "not the password");
  const CliRun refused = RunCli(QStringList{"test", "1"} + LoginOptions(*profile));
  qunsetenv("OMBRELIA_PASSWORD1");
  connection->ExecuteNoRecords(DropTable());

  EXPECT_EQ(test.exitCode, cli::kDone) << test.err.toStdString();
  EXPECT_EQ(test.err, "Connection successful.\n");
  EXPECT_EQ(tables.exitCode, cli::kDone) << tables.err.toStdString();
  EXPECT_TRUE(tables.Lines().contains(kTable)) << tables.out.toStdString();
  EXPECT_EQ(fields.Lines(), QStringList({"ID", "Customer", "Total"}));
  EXPECT_EQ(refused.exitCode, cli::kNotConnected);
  // One line: what was tried, why it failed, and the driver's own text.
  EXPECT_TRUE(refused.err.startsWith("ombrelia: cannot open Database #1, " + profile->Database +
                                     " on " + profile->Server + "," + profile->Port + " as " +
                                     profile->User + ": the login was refused: "))
      << refused.err.toStdString();
  EXPECT_EQ(refused.err.count(QLatin1Char('\n')), 1);
  EXPECT_TRUE(nobody.Prompts().isEmpty());
}

// A join in Database #1, then an append of its source rows into Database #2.
TEST(CliLive, JoinAndAppendFromTheCommandLine) {
  const std::optional<ConnectionProfile> profile1 = LiveProfile(1);
  const std::optional<ConnectionProfile> profile2 = LiveProfile(2);
  if (!profile1 || !profile2) GTEST_SKIP() << kNoLiveServer;
  const LiveDriver driver;
  const TempSettings settings;
  const ScriptedTerminal nobody(false);
  const QString customers = QStringLiteral("ombrelia_test_cli_customers");
  const QString orders = QStringLiteral("ombrelia_test_cli_orders");
  const QString joined = QStringLiteral("ombrelia_test_cli_joined");
  std::unique_ptr<adodb::Connection> db1 = adodb::CreateOdbcConnection();
  db1->Open(BuildConnectionString(*profile1));
  std::unique_ptr<adodb::Connection> db2 = adodb::CreateOdbcConnection();
  db2->Open(BuildConnectionString(*profile2));
  for (const QString& table : {customers, orders, joined}) db1->ExecuteNoRecords(Drop(table));
  db2->ExecuteNoRecords(Drop(orders));
  db1->ExecuteNoRecords("CREATE TABLE " + customers + " (ID int, Name nvarchar(20))");
  db1->ExecuteNoRecords("INSERT INTO " + customers + " VALUES (1, N'Ann'), (2, N'Bob')");
  db1->ExecuteNoRecords("CREATE TABLE " + orders + " (OrderID int, CustomerID int)");
  db1->ExecuteNoRecords("INSERT INTO " + orders + " VALUES (10, 1), (11, 3)");
  db2->ExecuteNoRecords("CREATE TABLE " + orders + " (OrderID int, CustomerID int)");

  qputenv("OMBRELIA_PASSWORD1", profile1->Password.toUtf8());
  qputenv("OMBRELIA_PASSWORD2", profile2->Password.toUtf8());
  const CliRun join =
      RunCli(QStringList{"join", customers, "ID", orders, "CustomerID", "--into", joined} +
             LoginOptions(*profile1));
  const CliRun append = RunCli(QStringList{"append", "--to", "2", orders, orders} +
                               LoginOptions(*profile1) + LoginOptions(*profile2, 2));
  qunsetenv("OMBRELIA_PASSWORD1");
  qunsetenv("OMBRELIA_PASSWORD2");
  const int joinedRows = CountRows(*db1, joined);
  const int appendedRows = CountRows(*db2, orders);
  for (const QString& table : {customers, orders, joined}) db1->ExecuteNoRecords(Drop(table));
  db2->ExecuteNoRecords(Drop(orders));

  EXPECT_EQ(join.exitCode, cli::kDone) << join.err.toStdString();
  EXPECT_EQ(joinedRows, 3);  // Ann with order 10, Bob alone, order 11 alone
  EXPECT_EQ(append.exitCode, cli::kDone) << append.err.toStdString();
  EXPECT_EQ(appendedRows, 2);
  EXPECT_TRUE(append.err.startsWith("2 rows appended to " + profile2->Database + ".dbo." + orders))
      << append.err.toStdString();
  EXPECT_TRUE(nobody.Prompts().isEmpty());
}

// --where on each way: one INSERT a row, the default on one server (the server's own copy where the
// servers can prove they are one; this T-SQL server cannot, and takes batches), and batches (the
// target on a second server, OMBRELIA_TEST_SECOND_PORT); each dry run first, which writes
// nothing.
TEST(CliLive, WhereOnEveryWayAndDryRunsThatWriteNothing) {
  const std::optional<ConnectionProfile> profile1 = LiveProfile(1);
  const std::optional<ConnectionProfile> profile2 = LiveProfile(2);
  if (!profile1 || !profile2) GTEST_SKIP() << kNoLiveServer;
  const LiveDriver driver;
  const TempSettings settings;
  const ScriptedTerminal nobody(false);
  const QString table = QStringLiteral("ombrelia_test_cli_where");
  ConnectionProfile second = *profile2;
  second.Port = qEnvironmentVariable("OMBRELIA_TEST_SECOND_PORT", profile2->Port);
  std::vector<std::unique_ptr<adodb::Connection>> db;
  for (const ConnectionProfile& login : {*profile1, *profile2, second}) {
    db.push_back(adodb::CreateOdbcConnection());
    db.back()->Open(BuildConnectionString(login));
    db.back()->ExecuteNoRecords(Drop(table));
    db.back()->ExecuteNoRecords("CREATE TABLE " + table + " (ID int, Region nvarchar(5))");
  }
  db[0]->ExecuteNoRecords("INSERT INTO " + table + " VALUES (1, N'N'), (2, N'S'), (3, N'N')");
  qputenv("OMBRELIA_PASSWORD1", profile1->Password.toUtf8());
  qputenv("OMBRELIA_PASSWORD2", profile2->Password.toUtf8());
  const struct {
    ConnectionProfile target;
    QStringList options;
    QString way;
  } ways[] = {{*profile2, {"--one-by-one"}, "Way: one INSERT a row"},
              {*profile2, {}, "Way: "},  // the server's copy where the servers prove one
              {second, {}, "Way: batches"}};
  const bool twoServers = second.Port != profile2->Port;
  for (const auto& [target, options, way] : ways) {
    if (way == "Way: batches" && !twoServers) continue;  // no second server to append to
    const QStringList append =
        QStringList{"append", "--to", "2", table, table, "--where", "Region = N'N'"} + options +
        LoginOptions(*profile1) + LoginOptions(target, 2);
    const CliRun dry = RunCli(append + QStringList{"--dry-run"});
    EXPECT_EQ(dry.exitCode, cli::kDone) << dry.err.toStdString();
    EXPECT_TRUE(dry.out.startsWith(way)) << dry.out.toStdString();
    EXPECT_TRUE(dry.out.contains("Source rows that would go: 2 rows of ")) << dry.out.toStdString();
    const CliRun run = RunCli(append);
    EXPECT_EQ(run.exitCode, cli::kDone) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("(the source's rows where Region = N'N')"))
        << run.err.toStdString();
  }
  qunsetenv("OMBRELIA_PASSWORD1");
  qunsetenv("OMBRELIA_PASSWORD2");
  const int sameServer = CountRows(*db[1], table);
  const int secondServer = CountRows(*db[2], table);
  for (const auto& connection : db) connection->ExecuteNoRecords(Drop(table));
  EXPECT_EQ(sameServer, 4);  // rows 1 and 3, once a way
  if (twoServers) {
    EXPECT_EQ(secondServer, 2);
  }
  EXPECT_TRUE(nobody.Prompts().isEmpty());
}

}  // namespace
