// The commands that look at a database, over the FakeServer: what they write where, their exit
// codes, the logins they use, and that they create no widget and write no setting.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QSettings>

#include "cli/cli_run.h"
#include "connections/profile_settings.h"
#include "support/fake_server.h"
#include "support/qt_printers.h"
#include "support/scripted_terminal.h"
#include "support/temp_settings.h"

namespace {

class CatalogueCommands : public ::testing::Test {
 protected:
  CatalogueCommands() {
    Store(QStringLiteral("Server"), QStringLiteral("alpha"));
    Store(QStringLiteral("User"), QStringLiteral("ann"));
    Store(QStringLiteral("Password"), QStringLiteral("stored1"));
    Store(QStringLiteral("Database"), QStringLiteral("sales"));
    Store(QStringLiteral("Server2"), QStringLiteral("beta"));
    Store(QStringLiteral("User2"), QStringLiteral("bob"));
    Store(QStringLiteral("Database2"), QStringLiteral("stock"));
    Store(QStringLiteral("Local Connection2"), QStringLiteral("1"));
    settingsBefore = SettingsFile();
  }

  static void Store(const QString& key, const QString& value) {
    profile_settings::Write(key, value);
  }

  QByteArray SettingsFile() const {
    QFile file(QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Korvath"))
                   .fileName());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }

  QString LastConnectionString() const { return server.Connections().back().connectionString; }

  TempSettings settings;
  FakeServer server;
  ScriptedTerminal nobody{false};
  QByteArray settingsBefore;
};

TEST_F(CatalogueCommands, TablesListsTheUserTablesOnStandardOutputOnly) {
  server.AddTable("sales", "Customers", {"ID"});
  server.AddView("sales", "CustomerView", {"ID"});
  server.AddSystemTable("sales", "sysobjects", {"id"});
  server.AddTable("sales", "MySystemLog", {"ID"});
  server.AddTable("sales", "Physics", {"ID"});
  server.AddTable("stock", "Items", {"ID"});

  const CliRun run = RunCli({"tables", "1"});
  EXPECT_EQ(run.exitCode, cli::kDone);
  EXPECT_EQ(run.Lines(), QStringList({"Customers", "Physics"}));
  EXPECT_EQ(run.err, QString());
  EXPECT_EQ(LastConnectionString(),
            "Driver={SQL Server};Server=alpha,1433;Database=sales;Uid=ann;Pwd=stored1;");
  EXPECT_EQ(RunCli({"tables", "2"}).Lines(), QStringList({"Items"}));
  // The stored flag of login 2 leaves the port out; nobody was asked for a password.
  EXPECT_EQ(LastConnectionString(), "Driver={SQL Server};Server=beta;Database=stock;Uid=bob;Pwd=;");
  EXPECT_TRUE(nobody.Prompts().value(0).contains("bob on beta"))
      << nobody.Prompts().join('|').toStdString();
  EXPECT_TRUE(QApplication::allWidgets().isEmpty());
  EXPECT_EQ(SettingsFile(), settingsBefore);
}

TEST_F(CatalogueCommands, FieldsInColumnOrderAndRefusalsWithTheServersText) {
  server.AddTable("sales", "Orders", {"ID", "CustomerID", "Total"});
  const CliRun run = RunCli({"fields", "1", "Orders"});
  EXPECT_EQ(run.exitCode, cli::kDone);
  EXPECT_EQ(run.Lines(), QStringList({"ID", "CustomerID", "Total"}));
  EXPECT_EQ(server.Connections().back().properties, QStringList({"Mode=3"}));

  const CliRun missing = RunCli({"fields", "1", "Nowhere"});
  EXPECT_EQ(missing.exitCode, cli::kRefused);
  EXPECT_EQ(missing.out, QString());
  EXPECT_TRUE(missing.err.contains("Nowhere")) << missing.err.toStdString();

  server.RefuseStatements("OpenSchema(20)", "Permission denied on the catalogue.");
  const CliRun refused = RunCli({"tables", "1"});
  EXPECT_EQ(refused.exitCode, cli::kRefused);
  EXPECT_EQ(refused.err, "Permission denied on the catalogue.\n");
}

TEST_F(CatalogueCommands, TestSaysWhatTheButtonSaysAndTheDriversTextOnStandardError) {
  CliRun run = RunCli({"test", "1"});
  EXPECT_EQ(run.exitCode, cli::kDone);
  EXPECT_EQ(run.out, QString());
  EXPECT_EQ(run.err, "Connection successful.\n");

  server.RefuseOpen("Server=alpha", "Login failed for user 'ann'.");
  run = RunCli({"test", "1"});
  EXPECT_EQ(run.exitCode, cli::kNotConnected);
  EXPECT_EQ(run.err,
            "Could not connect. Please check with your administrator.\n"
            "Login failed for user 'ann'.\n");
  run = RunCli({"tables", "1"});
  EXPECT_EQ(run.exitCode, cli::kNotConnected);
  EXPECT_TRUE(run.err.startsWith("Database #1 does not appear to be valid.\n"));
  EXPECT_EQ(SettingsFile(), settingsBefore);
}

TEST_F(CatalogueCommands, OptionsAndTheEnvironmentOverrideTheStoredLogin) {
  server.AddTable("archive", "Old", {"ID"});
  qputenv("OMBRELIA_PASSWORD1", "from-env");
  const CliRun run = RunCli({"tables", "1", "--server1", "gamma", "--port1", "1500", "--user1",
                             "carl", "--database1", "archive"});
  qunsetenv("OMBRELIA_PASSWORD1");
  EXPECT_EQ(run.exitCode, cli::kDone);
  EXPECT_EQ(run.Lines(), QStringList({"Old"}));
  EXPECT_EQ(LastConnectionString(),
            "Driver={SQL Server};Server=gamma,1500;Database=archive;Uid=carl;Pwd=from-env;");

  RunCli({"test", "2", "--local2", "0", "--port2", "2433"});
  EXPECT_EQ(LastConnectionString(),
            "Driver={SQL Server};Server=beta,2433;Database=stock;Uid=bob;Pwd=;");
  RunCli({"test", "1", "--local1", "1"});
  EXPECT_EQ(LastConnectionString(),
            "Driver={SQL Server};Server=alpha;Database=sales;Uid=ann;Pwd=stored1;");
  EXPECT_EQ(SettingsFile(), settingsBefore);
}

// The stored password goes only to the stored server and user; another login is asked for one.
TEST_F(CatalogueCommands, AnotherServerIsNotGivenTheStoredPassword) {
  RunCli({"test", "1", "--server1", "elsewhere"});
  EXPECT_EQ(LastConnectionString(),
            "Driver={SQL Server};Server=elsewhere,1433;Database=sales;Uid=ann;Pwd=;");
  ASSERT_EQ(nobody.Prompts().size(), 1);
  EXPECT_TRUE(nobody.Prompts().at(0).startsWith("(secret) Password of ann on elsewhere"));

  ScriptedTerminal person(true);
  person.Answer("typed secret");
  RunCli({"test", "1", "--user1", "zoe"});
  EXPECT_EQ(LastConnectionString(),
            "Driver={SQL Server};Server=alpha,1433;Database=sales;Uid=zoe;Pwd=typed secret;");
}

TEST(CommandLineUsage, WrongUsageIsExitTwoWithAHintOnStandardError) {
  const TempSettings settings;
  const ScriptedTerminal nobody(false);
  for (const QStringList& arguments :
       std::initializer_list<QStringList>{{"tables"},
                                          {"tables", "3"},
                                          {"tables", "1", "2"},
                                          {"fields", "1"},
                                          {"nothing"},
                                          {"tables", "1", "--colour"},
                                          {"test", "1", "--local1", "yes"},
                                          {"--fast"},
                                          {"join", "A", "a", "B", "b"},
                                          {"join", "A", "a", "B", "--into", "C"},
                                          {"append", "--to", "3", "A", "B"},
                                          {"append", "A", "B"}}) {
    const CliRun run = RunCli(arguments);
    EXPECT_EQ(run.exitCode, cli::kWrongUsage) << arguments.join(' ').toStdString();
    EXPECT_EQ(run.out, QString()) << arguments.join(' ').toStdString();
    EXPECT_TRUE(run.err.contains("--help'.")) << run.err.toStdString();
  }
  EXPECT_TRUE(RunCli({"tables", "3"}).err.startsWith("ombrelia tables: The database is 1 or 2"));
}

TEST(CommandLineUsage, HelpForEveryCommandAndTheVersionOnStandardOutput) {
  for (const char* command : {"test", "tables", "fields", "join", "append"}) {
    const CliRun run = RunCli({command, "--help"});
    EXPECT_EQ(run.exitCode, cli::kDone) << command;
    EXPECT_TRUE(run.out.startsWith(QStringLiteral("Usage: ombrelia %1 [options]").arg(command)))
        << run.out.toStdString();
    EXPECT_TRUE(run.out.contains("--server1 <host>")) << command;
    EXPECT_EQ(run.err, QString());
  }
  const CliRun help = RunCli({"--help"});
  EXPECT_EQ(help.exitCode, cli::kDone);
  EXPECT_TRUE(help.out.startsWith("Usage: ombrelia [options] COMMAND [arguments]"));
  EXPECT_TRUE(help.out.contains("Exit status"));
  const CliRun version = RunCli({"--version"});
  EXPECT_EQ(version.exitCode, cli::kDone);
  EXPECT_EQ(version.out, QStringLiteral("ombrelia %1\n").arg(OMBRELIA_TEST_VERSION));
}

}  // namespace
