// A copy of many tables run again from the command line against a live SQL Server, in two
// databases of its own: --all --create once, then again with each choice for the targets that
// exist now (none named, keep, refuse, empty), and a refresh of three tables linked by foreign
// keys, grandparent to child, with the sources' rows changed. Without a server it skips.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <memory>
#include <optional>

#include "cli/cli_run.h"
#include "platform/odbc/adodb.h"
#include "support/live_program.h"
#include "support/live_server.h"
#include "support/qt_printers.h"
#include "support/read_rows.h"
#include "support/scripted_terminal.h"
#include "support/temp_settings.h"

namespace {

const QString kSource =
    QStringLiteral("ombrelia_test_again_src_%1").arg(QCoreApplication::applicationPid());
const QString kTarget =
    QStringLiteral("ombrelia_test_again_dst_%1").arg(QCoreApplication::applicationPid());
const char* const kTables[] = {"grandparent", "parent", "child", "loose"};

QString AllRows(adodb::Connection& connection) {
  QStringList all;
  for (const char* table : kTables)
    all << QString::fromLatin1(table) + ": " + TableRows(connection, table);
  return all.join(u'\n');
}

TEST(ExistingTargetsLive, EachChoiceOnASecondRunAndARefreshAcrossForeignKeys) {
  std::optional<ConnectionProfile> login = LiveProfile(1);
  if (!login) GTEST_SKIP() << kNoLiveServer;
  const LiveDriver driver;
  const TempSettings settings;
  const ScriptedTerminal nobody(false);
  std::unique_ptr<adodb::Connection> master = ConnectTo(*login, "master");
  MakeFreshDatabases(*master, {kSource, kTarget});
  std::unique_ptr<adodb::Connection> source = ConnectTo(*login, kSource);
  std::unique_ptr<adodb::Connection> target = ConnectTo(*login, kTarget);
  source->ExecuteNoRecords("CREATE TABLE grandparent (id int PRIMARY KEY, name nvarchar(10))");
  source->ExecuteNoRecords(
      "CREATE TABLE parent (id int PRIMARY KEY, up int REFERENCES grandparent(id))");
  source->ExecuteNoRecords("CREATE TABLE child (id int PRIMARY KEY, up int REFERENCES parent(id))");
  source->ExecuteNoRecords("CREATE TABLE loose (id int, v nvarchar(5))");
  source->ExecuteNoRecords("INSERT INTO grandparent VALUES (1, N'one'), (2, N'two')");
  source->ExecuteNoRecords("INSERT INTO parent VALUES (10, 1), (11, 2)");
  source->ExecuteNoRecords("INSERT INTO child VALUES (100, 10), (101, 11), (102, 11)");
  source->ExecuteNoRecords("INSERT INTO loose VALUES (1, N'a'), (2, N'b')");
  const QStringList logins = LoginsBetween(*login, kSource, kTarget);
  const QStringList again = QStringList{"append", "--to", "2", "--all", "--create"} + logins;

  const CliRun first = RunCli(again);
  ASSERT_EQ(first.exitCode, cli::kDone) << first.err.toStdString();
  const QString copied = AllRows(*target);
  ASSERT_EQ(copied, AllRows(*source));

  // A second run of the same copy: nothing is written twice, whatever it is told.
  struct Case {
    QStringList options;
    int exitCode;
    const char* said;
  };
  const Case cases[] = {
      {{}, cli::kRefused, "--existing append, keep, refuse, empty or replace"},
      {{"--existing", "keep"}, cli::kDone, "holds 2 rows, left as it is (--existing keep)"},
      {{"--existing", "refuse"}, cli::kRefused, "refused (--existing refuse)"},
      {{"--existing", "refuse", "--dry-run"}, cli::kRefused, "refused (--existing refuse)"},
      {{"--existing", "empty", "--dry-run"}, cli::kDone, "into the target emptied first"},
  };
  for (const Case& one : cases) {
    const CliRun run = RunCli(again + one.options);
    const QString said = run.err + run.out;
    EXPECT_EQ(run.exitCode, one.exitCode) << one.options.join(' ').toStdString() << "\n"
                                          << said.toStdString();
    EXPECT_TRUE(said.contains(QString::fromLatin1(one.said)))
        << one.options.join(' ').toStdString() << "\n"
        << said.toStdString();
    EXPECT_EQ(AllRows(*target), copied) << one.options.join(' ').toStdString();
  }

  // The refresh: rows changed, added and gone in the sources; the targets, linked by their
  // foreign keys, are emptied children first and end equal to the sources.
  source->ExecuteNoRecords("UPDATE grandparent SET name = N'changed' WHERE id = 2");
  source->ExecuteNoRecords("INSERT INTO grandparent VALUES (3, N'three')");
  source->ExecuteNoRecords("INSERT INTO parent VALUES (12, 3)");
  source->ExecuteNoRecords("DELETE FROM child WHERE id = 100");
  source->ExecuteNoRecords("INSERT INTO child VALUES (103, 12)");
  // The dry run of an append says how many of the source's keys each target holds already.
  const CliRun looked = RunCli(again + QStringList{"--existing", "append", "--dry-run"});
  EXPECT_TRUE(
      looked.out.contains("child: would go, by the server's own copy, 3 rows; the target "
                          "holds 3 rows now, 2 of the source's keys among them."))
      << looked.out.toStdString() << looked.err.toStdString();
  const CliRun refresh = RunCli(again + QStringList{"--existing", "empty", "--yes"});
  EXPECT_EQ(refresh.exitCode, cli::kDone) << refresh.err.toStdString();
  EXPECT_EQ(AllRows(*target), AllRows(*source));

  // Made again: the dry run's script drops the children first, and the run leaves the tables
  // equal to the sources with their foreign keys.
  source->ExecuteNoRecords("UPDATE loose SET v = N'again'");
  const CliRun script = RunCli(again + QStringList{"--existing", "replace", "--dry-run"});
  EXPECT_EQ(script.exitCode, cli::kDone) << script.err.toStdString();
  EXPECT_LT(script.out.indexOf("DROP TABLE [dbo].[child]"),
            script.out.indexOf("DROP TABLE [dbo].[grandparent]"))
      << script.out.toStdString();
  EXPECT_EQ(RunCli(again + QStringList{"--existing", "replace"}).exitCode, cli::kRefused);
  const CliRun replaced = RunCli(again + QStringList{"--existing", "replace", "--yes"});
  EXPECT_EQ(replaced.exitCode, cli::kDone) << replaced.err.toStdString();
  EXPECT_EQ(AllRows(*target), AllRows(*source));
  EXPECT_EQ(ReadRows(*target->Execute("SELECT COUNT(*) FROM sys.foreign_keys")).at(0).at(0).text,
            "2");

  // A table outside the run that references one of its tables and holds rows: named, and
  // nothing is emptied.
  target->ExecuteNoRecords("CREATE TABLE outsider (id int, up int REFERENCES parent(id))");
  target->ExecuteNoRecords("INSERT INTO outsider VALUES (1, 10)");
  const QString before = AllRows(*target);
  for (const QStringList& options :
       {QStringList{"empty", "--dry-run"}, QStringList{"empty", "--yes"},
        QStringList{"replace", "--create", "--yes"}}) {
    const CliRun refused = RunCli(
        QStringList{"append", "--to", "2", "--tables", "grandparent,parent,child", "--existing"} +
        options + logins);
    EXPECT_EQ(refused.exitCode, cli::kRefused) << refused.err.toStdString();
    EXPECT_TRUE(refused.err.contains("outsider") &&
                refused.err.contains("references the tables to " + options.at(0)))
        << refused.err.toStdString();
    EXPECT_EQ(AllRows(*target), before);
  }

  source.reset();
  target.reset();
  DropDatabasesIfFree(*master, {kSource, kTarget});
}

}  // namespace
