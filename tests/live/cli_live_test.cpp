// The command line against a live SQL Server (see support/live_server.h): the login given by
// options and the environment, the connection test and the lists. Without a server named by
// OMBRELIA_TEST_SERVER this test skips.

#include <gtest/gtest.h>

#include <memory>
#include <optional>

#include "cli/cli_run.h"
#include "platform/adodb.h"
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
QStringList LoginOptions(const ConnectionProfile& profile) {
  return {"--server1", profile.Server, "--port1",     profile.Port,
          "--user1",   profile.User,   "--database1", profile.Database};
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
  // The driver's own text follows the message.
  EXPECT_GT(refused.err.count(QLatin1Char('\n')), 1) << refused.err.toStdString();
  EXPECT_TRUE(nobody.Prompts().isEmpty());
}

}  // namespace
