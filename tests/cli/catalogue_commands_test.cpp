// The commands that look at a database, over the FakeServer: what they write where, their exit
// codes, the logins they use, and that they create no widget and write no setting.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QSettings>

#include "cli/cli_run.h"
#include "cli/login_failure.h"
#include "connections/encryption.h"
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
  // What the wizard hides, on request; system tables stay out.
  EXPECT_EQ(RunCli({"tables", "1", "--all"}).Lines(),
            QStringList({"Customers", "MySystemLog", "Physics"}));
  // Login 2 stores no password and nobody is at a terminal: nothing connects.
  const qsizetype connections = server.Connections().size();
  const CliRun unasked = RunCli({"tables", "2"});
  EXPECT_EQ(unasked.exitCode, cli::kWrongUsage);
  EXPECT_TRUE(unasked.err.contains("set OMBRELIA_PASSWORD2.")) << unasked.err.toStdString();
  EXPECT_EQ(server.Connections().size(), connections);
  qputenv("OMBRELIA_PASSWORD2", "");
  EXPECT_EQ(RunCli({"tables", "2"}).Lines(), QStringList({"Items"}));
  qunsetenv("OMBRELIA_PASSWORD2");
  // The stored flag of login 2 leaves the port out.
  EXPECT_EQ(LastConnectionString(), "Driver={SQL Server};Server=beta;Database=stock;Uid=bob;Pwd=;");
  EXPECT_TRUE(QApplication::allWidgets().isEmpty());
  EXPECT_EQ(SettingsFile(), settingsBefore);
}

TEST_F(CatalogueCommands, FieldsInColumnOrderAndRefusalsWithTheServersText) {
  server.AddTable("sales", "Orders", {"ID", "CustomerID", "Total"});
  const CliRun run = RunCli({"fields", "1", "Orders"});
  EXPECT_EQ(run.exitCode, cli::kDone);
  EXPECT_EQ(run.Lines(), QStringList({"ID", "CustomerID", "Total"}));
  EXPECT_EQ(server.Connections().front().properties, QStringList({"Mode=3"}));
  // A login that names no database is told which one the server gave it.
  server.AddTable("", "Orders", {"ID"});
  const CliRun unnamed = RunCli({"fields", "1", "Orders", "--database1", ""});
  EXPECT_EQ(unnamed.Lines(), QStringList({"ID"}));
  EXPECT_EQ(unnamed.err,
            "Fields of Orders in master, the login's default database (Database #1 names "
            "none).\n");
  EXPECT_TRUE(RunCli({"tables", "1", "--database1", ""}).err.startsWith("Tables of master, "));

  const CliRun missing = RunCli({"fields", "1", "Nowhere"});
  EXPECT_EQ(missing.exitCode, cli::kRefused);
  EXPECT_EQ(missing.out, QString());
  EXPECT_TRUE(missing.err.startsWith("ombrelia: cannot read table 'Nowhere' in sales: "))
      << missing.err.toStdString();
  EXPECT_EQ(missing.err.count('\n'), 1);

  server.RefuseStatements("OpenSchema(20)", "Permission denied on the catalogue.");
  const CliRun refused = RunCli({"tables", "1"});
  EXPECT_EQ(refused.exitCode, cli::kRefused);
  EXPECT_EQ(refused.err, "ombrelia: cannot list the tables: Permission denied on the catalogue.\n");
}

// A table as people type it: of the default schema with its schema, bracketed, in another
// letter case; a name near a listed one is offered.
TEST_F(CatalogueCommands, TablesAreNamedAsPeopleTypeThem) {
  server.AddTable("sales", "Orders", {"ID", "Total"});
  server.AddTableIn("sales", "archive", "Regions", {"Code"});
  server.AddTable("sales", "a.b", {"Dotted"});
  for (const char* typed : {"dbo.Orders", "[dbo].[Orders]", "orders"}) {
    EXPECT_EQ(RunCli({"fields", "1", typed}).Lines(), QStringList({"ID", "Total"})) << typed;
  }
  for (const char* typed : {"archive.Regions", "[archive].[Regions]", "ARCHIVE.regions"}) {
    EXPECT_EQ(RunCli({"fields", "1", typed}).Lines(), QStringList({"Code"})) << typed;
  }
  EXPECT_EQ(RunCli({"fields", "1", "[a.b]"}).Lines(), QStringList({"Dotted"}));
  const CliRun near = RunCli({"fields", "1", "Ordrs"});
  EXPECT_TRUE(near.err.endsWith(" (did you mean 'Orders'?)\n")) << near.err.toStdString();
  for (const char* typed : {"a.b.c", "[a", "[a]b", "a.."}) {
    const CliRun wrong = RunCli({"fields", "1", typed});
    EXPECT_EQ(wrong.exitCode, cli::kWrongUsage) << typed;
    EXPECT_TRUE(wrong.err.contains("is not a table name")) << wrong.err.toStdString();
  }
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
            "ombrelia: cannot open Database #1, sales on alpha,1433 as ann: the login was "
            "refused: Login failed for user 'ann'.\n");
  run = RunCli({"tables", "1"});
  EXPECT_EQ(run.exitCode, cli::kNotConnected);
  EXPECT_TRUE(run.err.startsWith("ombrelia: cannot open Database #1, sales on alpha,1433"));
  EXPECT_EQ(SettingsFile(), settingsBefore);
}

TEST_F(CatalogueCommands, OptionsAndTheEnvironmentOverrideTheStoredLogin) {
  server.AddTable("archive", "Old", {"ID"});
  qputenv("OMBRELIA_PASSWORD1", "from-env");
  // Options stand before the command as well as after it.
  const CliRun run = RunCli({"--server1", "gamma", "--port1=1500", "tables", "1", "--user1", "carl",
                             "--database1", "archive"});
  qunsetenv("OMBRELIA_PASSWORD1");
  EXPECT_EQ(run.exitCode, cli::kDone);
  EXPECT_EQ(run.Lines(), QStringList({"Old"}));
  EXPECT_EQ(LastConnectionString(),
            "Driver={SQL Server};Server=gamma,1500;Database=archive;Uid=carl;Pwd=from-env;");

  qputenv("OMBRELIA_PASSWORD2", "");
  RunCli({"--local2", "0", "test", "2", "--port2", "2433"});
  qunsetenv("OMBRELIA_PASSWORD2");
  EXPECT_EQ(LastConnectionString(),
            "Driver={SQL Server};Server=beta,2433;Database=stock;Uid=bob;Pwd=;");
  qputenv("OMBRELIA_PASSWORD1", "from-env");
  RunCli({"test", "1", "--local1", "1"});
  qunsetenv("OMBRELIA_PASSWORD1");
  EXPECT_EQ(LastConnectionString(),
            "Driver={SQL Server};Server=alpha;Database=sales;Uid=ann;Pwd=from-env;");
  EXPECT_EQ(SettingsFile(), settingsBefore);
}

// The stored password goes only to the stored login: its server, port, local flag and user
// (another port may be another instance of the server). Another login is asked for one, and
// without a terminal to ask on nothing connects.
TEST_F(CatalogueCommands, AnotherServerIsNotGivenTheStoredPassword) {
  const CliRun run = RunCli({"test", "1", "--server1", "elsewhere"});
  EXPECT_EQ(run.exitCode, cli::kWrongUsage);
  EXPECT_TRUE(
      run.err.startsWith("ombrelia test: No password for ann on elsewhere (Database #1), "
                         "and no terminal to ask on: set OMBRELIA_PASSWORD1.\n"))
      << run.err.toStdString();
  for (const QStringList& other : {QStringList{"--port1", "14342"}, QStringList{"--local1", "1"}}) {
    const CliRun instance = RunCli(QStringList{"test", "1"} + other);
    EXPECT_EQ(instance.exitCode, cli::kWrongUsage) << other.join(' ').toStdString();
    EXPECT_TRUE(instance.err.contains("No password for ann on alpha (Database #1)"));
  }
  EXPECT_TRUE(server.Connections().empty());
  EXPECT_TRUE(nobody.Prompts().isEmpty());

  ScriptedTerminal person(true);
  person.Answer("typed secret");
  RunCli({"test", "1", "--user1", "zoe"});
  EXPECT_EQ(LastConnectionString(),
            "Driver={SQL Server};Server=alpha,1433;Database=sales;Uid=zoe;Pwd=typed secret;");
  // One login, one prompt: the field list does not ask again for the table's name.
  person.Answer("typed secret");
  RunCli({"fields", "1", "Orders", "--user1", "zoe"});
  EXPECT_EQ(person.Prompts().size(), 2);
}

TEST(LoginFailure, NamesWhatWasTriedAndWhy) {
  ConnectionProfile login{"db.example.com", "report", "", "Sales", "1533", ""};
  const auto what = [&](const platform::Error& error) {
    return cli::LoginFailureWhat(login, 2, error);
  };
  EXPECT_EQ(what(adodb::Error("x", "42000", 18456)),
            "cannot open Database #2, Sales on db.example.com,1533 as report: the login was "
            "refused");
  EXPECT_TRUE(what(adodb::Error("x", "28000", 0)).endsWith(": the login was refused"));
  EXPECT_TRUE(what(adodb::Error("x", "08S01", 20009)).endsWith(": the server did not answer"));
  EXPECT_TRUE(what(adodb::Error("x", "HYT00", 0)).endsWith(": the server did not answer"));
  EXPECT_TRUE(what(adodb::Error("x", "42000", 4060)).endsWith(": the database cannot be opened"));
  EXPECT_TRUE(what(adodb::Error("x", "08004", 911)).endsWith(": the database cannot be opened"));
  login.Server = "host\\SQLEXPRESS";
  login.LocalConnection = "1";
  // A refusal for the encryption's sake says itself why.
  EXPECT_TRUE(what(EncryptionRefused("x", adodb::Error("x", "08001", 0))).endsWith(" as report"));
  EXPECT_EQ(what(platform::Error("The Server of this login holds")),
            "cannot open Database #2, Sales on host\\SQLEXPRESS as report");
}

TEST(CommandLineUsage, WrongUsageIsExitTwoWithAHintOnStandardError) {
  const TempSettings settings;
  const ScriptedTerminal nobody(false);
  for (const QStringList& arguments : std::initializer_list<QStringList>{
           {"tables"},
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
           {"append", "A", "B"},
           {"test", "1", "--port1", "abc"},
           {"test", "1", "--server1", "s", "--port1", "70000"},
           {"test", "1", "--server1", ""},
           {"test", "1", "--server1", "s", "--user1", " "},
           {"test", "1", "--server1", "s", "--user1", "u"},
           {"--server1", "test", "nothing"},
           {"join", "A", "a", "B", "b", "--into", "C", "--user2", "u"},
           {"append", "--to", "1", "A", "B", "--max-refused", "0"},
           {"append", "--to", "1", "A", "B", "--where", " "},
           {"test", "1", "--encrypt1", "maybe"},
           {"test", "1", "--ca-file1", "/certs/ca.pem"},
           {"test", "1", "--encrypt1", "verify", "--ca-file1", "/nonexistent/ca.pem"}}) {
    const CliRun run = RunCli(arguments);
    EXPECT_EQ(run.exitCode, cli::kWrongUsage) << arguments.join(' ').toStdString();
    EXPECT_EQ(run.out, QString()) << arguments.join(' ').toStdString();
    EXPECT_TRUE(run.err.contains("--help'.")) << run.err.toStdString();
  }
  EXPECT_TRUE(RunCli({"tables", "3"}).err.startsWith("ombrelia tables: The database is 1 or 2"));
  const CliRun both = RunCli({"append", "--to", "1", "A", "B", "--by-name", "--by-position"});
  EXPECT_EQ(both.exitCode, cli::kWrongUsage);
  EXPECT_TRUE(both.err.startsWith("ombrelia append: --by-name and --by-position exclude each"));
  EXPECT_TRUE(RunCli({"test", "1", "--port1", "abc"})
                  .err.startsWith("ombrelia test: Database #1 has no server: give --server1 HOST"));
  EXPECT_TRUE(RunCli({"test", "1", "--server1", "s", "--port1", "abc"})
                  .err.startsWith("ombrelia test: The port of Database #1 is 'abc', not a TCP "
                                  "port number: give --port1 PORT"));
  EXPECT_TRUE(RunCli({"test", "1", "--encrypt1", "maybe"})
                  .err.startsWith("ombrelia test: --encrypt1 takes request, require or verify"));
  const QStringList login = {"test", "1", "--server1", "s", "--user1", "u"};
  EXPECT_TRUE(RunCli(login + QStringList{"--encrypt1", "require", "--ca-file1", "/certs/ca.pem"})
                  .err.startsWith("ombrelia test: --ca-file1 names a CA file, but Database #1 "
                                  "does not verify the server's certificate (its encryption is "
                                  "require): add --encrypt1 verify."));
  EXPECT_TRUE(RunCli(login + QStringList{"--encrypt1", "verify", "--ca-file1", "/no/ca.pem"})
                  .err.startsWith("ombrelia test: Database #1 verifies the server's certificate, "
                                  "but the CA file /no/ca.pem cannot be read: "));
}

TEST(CommandLineUsage, HelpForEveryCommandAndTheVersionOnStandardOutput) {
  for (const char* command : {"test", "tables", "fields", "join", "append"}) {
    const CliRun run = RunCli({command, "--help"});
    EXPECT_EQ(run.exitCode, cli::kDone) << command;
    EXPECT_TRUE(run.out.startsWith(QStringLiteral("Usage: ombrelia %1 [options]").arg(command)))
        << run.out.toStdString();
    EXPECT_TRUE(run.out.contains("--server1 <host>")) << command;
    // Only the options the command uses; and where the passwords come from.
    const bool join = QLatin1String(command) == QLatin1String("join");
    EXPECT_EQ(run.out.contains("--server2"), !join) << command;
    EXPECT_EQ(run.out.contains("OMBRELIA_PASSWORD2 (Database #2)"), !join) << command;
    EXPECT_TRUE(run.out.contains("OMBRELIA_PASSWORD1 (Database #1)")) << command;
    EXPECT_TRUE(run.out.contains("asked for on the terminal")) << command;
    EXPECT_EQ(run.out.contains("--max-refused <N>"),
              QLatin1String(command) == QLatin1String("append"));
    EXPECT_EQ(run.err, QString());
  }
  const CliRun help = RunCli({"--help"});
  EXPECT_TRUE(help.out.contains("[--dry-run]"));
  EXPECT_TRUE(help.out.contains("OMBRELIA_PASSWORD1 (Database #1) or OMBRELIA_PASSWORD2"));
  EXPECT_EQ(help.exitCode, cli::kDone);
  EXPECT_TRUE(help.out.startsWith("Usage: ombrelia [options] COMMAND [arguments]"));
  EXPECT_TRUE(help.out.contains("Exit status"));
  const CliRun version = RunCli({"--version"});
  EXPECT_EQ(version.exitCode, cli::kDone);
  EXPECT_EQ(version.out, QStringLiteral("ombrelia %1\n").arg(OMBRELIA_TEST_VERSION));
}

}  // namespace
