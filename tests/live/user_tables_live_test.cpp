// What the user has stays as it was, and every way of the append writes the rows its dry run
// counts, on a live SQL Server (see support/live_server.h): a table of the user's named like a
// staging copy, a copy a cut-off join left, a --where condition that names another table of the
// source's database, and field names the registry must tell apart as the server does.

#include <gtest/gtest.h>

#include <memory>
#include <optional>

#include "cli/cli_run.h"
#include "join/staging_journal.h"
#include "platform/odbc/adodb.h"
#include "support/live_server.h"
#include "support/read_rows.h"
#include "support/scripted_terminal.h"
#include "support/temp_settings.h"

namespace {

QStringList Login(const ConnectionProfile& profile, int number) {
  const QString n = QString::number(number);
  return {"--server" + n, profile.Server, "--port" + n,     profile.Port,
          "--user" + n,   profile.User,   "--database" + n, profile.Database};
}

// Connections to the live databases, each holding the test's tables, dropped at the end.
class UserTablesLive : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::optional<ConnectionProfile> one = LiveProfile(1);
    const std::optional<ConnectionProfile> two = LiveProfile(2);
    if (!one || !two) GTEST_SKIP() << kNoLiveServer;
    profile1 = *one;
    profile2 = *two;
    driver.emplace();
    db1 = Open(profile1);
    db2 = Open(profile2);
    qputenv("OMBRELIA_PASSWORD1", profile1.Password.toUtf8());
    qputenv("OMBRELIA_PASSWORD2", profile2.Password.toUtf8());
  }
  void TearDown() override {
    for (const auto& [connection, table] : made) {
      connection->ExecuteNoRecords(
          QStringLiteral("IF OBJECT_ID(N'%1', N'U') IS NOT NULL DROP TABLE %1").arg(table));
    }
    qunsetenv("OMBRELIA_PASSWORD1");
    qunsetenv("OMBRELIA_PASSWORD2");
  }

  std::unique_ptr<adodb::Connection> Open(const ConnectionProfile& profile) {
    std::unique_ptr<adodb::Connection> connection = adodb::CreateOdbcConnection();
    connection->Open(BuildConnectionString(profile));
    return connection;
  }

  void Make(adodb::Connection& connection, const QString& table, const QString& columns,
            const QString& values = {}) {
    connection.ExecuteNoRecords(
        QStringLiteral("IF OBJECT_ID(N'%1', N'U') IS NOT NULL DROP TABLE %1").arg(table));
    connection.ExecuteNoRecords("CREATE TABLE " + table + " (" + columns + ")");
    if (!values.isEmpty())
      connection.ExecuteNoRecords("INSERT INTO " + table + " VALUES " + values);
    made.push_back({&connection, table});
  }

  QString Ids(adodb::Connection& connection, const QString& table) {
    QStringList ids;
    for (const auto& row :
         ReadRows(*connection.Execute("SELECT id FROM " + table + " ORDER BY id")))
      ids << row.at(0).text.trimmed();
    return ids.join(u',');
  }

  CliRun Join(const QString& t1, const QString& f1, const QString& t2, const QString& f2,
              const QString& into) {
    made.push_back({db1.get(), into});
    return RunCli(QStringList{"join", t1, f1, t2, f2, "--into", into} + Login(profile1, 1));
  }

  ConnectionProfile profile1;
  ConnectionProfile profile2;
  std::optional<LiveDriver> driver;
  std::unique_ptr<adodb::Connection> db1;
  std::unique_ptr<adodb::Connection> db2;
  std::unique_ptr<adodb::Connection> onSecond;  // a second server, where there is one
  std::vector<std::pair<adodb::Connection*, QString>> made;
  const TempSettings settings;
  const ScriptedTerminal nobody{false};
};

// A user's s_t1 stops the join before anything changes, and is named; a copy the program noted
// as its own (a join cut off before its drops) is dropped and the join goes on.
TEST_F(UserTablesLive, TheJoinDropsOnlyTheStagingCopiesItMade) {
  Make(*db1, "ombrelia_test_ja", "ID int, Name nvarchar(9)", "(1, N'Ann')");
  Make(*db1, "ombrelia_test_jb", "ID int, Total int", "(1, 5)");
  Make(*db1, "s_t1", "Mine nvarchar(9)", "(N'keep me')");
  CliRun run = Join("ombrelia_test_ja", "ID", "ombrelia_test_jb", "ID", "ombrelia_test_jab");
  EXPECT_EQ(run.exitCode, cli::kRefused) << run.err.toStdString();
  EXPECT_TRUE(
      run.err.contains("The table s_t1 in Database #1 was not made by a join of this "
                       "program"))
      << run.err.toStdString();
  EXPECT_EQ(ReadRows(*db1->Execute("SELECT Mine FROM s_t1")).at(0).at(0).text, "keep me");
  EXPECT_TRUE(
      ReadRows(*db1->Execute("SELECT OBJECT_ID(N'ombrelia_test_jab')")).at(0).at(0).IsNull());

  const QString id = ReadRows(*db1->Execute("SELECT OBJECT_ID(N'[s_t1]', N'U')")).at(0).at(0).text;
  StagingJournal(profile1.Server.toLower() + u',' + profile1.Port + u'/' +
                 db1->DefaultDatabase().toLower())
      .Made("s_t1", id.trimmed());
  run = Join("ombrelia_test_ja", "ID", "ombrelia_test_jb", "ID", "ombrelia_test_jab");
  EXPECT_EQ(run.exitCode, cli::kDone) << run.err.toStdString();
  EXPECT_TRUE(ReadRows(*db1->Execute("SELECT OBJECT_ID(N'[s_t1]', N'U'), "
                                     "OBJECT_ID(N'[s_t2]', N'U')"))
                  .at(0)
                  .at(0)
                  .IsNull());
}

// Fields a server takes for one name, or a suffix a later field bears: each gets a column of
// its own, and the join is made.
TEST_F(UserTablesLive, TheRegistryGivesNamesTheServerTellsApart) {
  const struct {
    QString first;
    QString second;
    QStringList joined;
  } cases[] = {
      {"ID int", "ID int, ID_A int", {"ID", "ID_B", "ID_A"}},
      {"ID int", "id int", {"ID", "id_A"}},
  };
  for (const auto& [first, second, joined] : cases) {
    Make(*db1, "ombrelia_test_ra", first, "(1)");
    Make(*db1, "ombrelia_test_rb", second, second.count(u',') ? "(1, 2)" : "(1)");
    const CliRun run = Join("ombrelia_test_ra", "ID", "ombrelia_test_rb", joined.at(1).left(2),
                            "ombrelia_test_rab");
    EXPECT_EQ(run.exitCode, cli::kDone) << second.toStdString() << ": " << run.err.toStdString();
    std::unique_ptr<adodb::Recordset> columns = db1->Execute("SELECT * FROM ombrelia_test_rab");
    QStringList names;
    for (int i = 0; i < columns->FieldCount(); ++i) names << columns->FieldName(i);
    EXPECT_EQ(names, joined);
    db1->ExecuteNoRecords("DROP TABLE ombrelia_test_rab");
  }
}

// A condition that names another table reads it in the source's database on every way, as the
// dry run and the count read it: the rows written are the dry run's.
TEST_F(UserTablesLive, WhereWithASubqueryWritesTheDryRunsRowsOnEveryWay) {
  Make(*db1, "ombrelia_test_wsrc", "id int", "(1), (2), (3), (4), (5), (6), (7)");
  Make(*db1, "ombrelia_test_keep", "id int", "(1), (2), (3)");
  Make(*db2, "ombrelia_test_keep", "id int", "(4), (5), (6), (7)");
  Make(*db2, "ombrelia_test_wdst", "id int");
  ConnectionProfile second = profile2;
  second.Port = qEnvironmentVariable("OMBRELIA_TEST_SECOND_PORT", profile2.Port);
  onSecond = Open(second);
  Make(*onSecond, "ombrelia_test_wdst", "id int");
  const struct {
    ConnectionProfile target;
    adodb::Connection* connection;
    QStringList options;
  } ways[] = {{profile2, db2.get(), {"--one-by-one"}},
              {profile2, db2.get(), {"--fast"}},
              {second, onSecond.get(), {"--fast"}}};
  for (const auto& [target, connection, options] : ways) {
    if (target.Port == profile2.Port && connection == onSecond.get()) continue;
    connection->ExecuteNoRecords("DELETE FROM ombrelia_test_wdst");
    const QStringList append = QStringList{"append",
                                           "--to",
                                           "2",
                                           "ombrelia_test_wsrc",
                                           "ombrelia_test_wdst",
                                           "--where",
                                           "id IN (SELECT id FROM ombrelia_test_keep)"} +
                               options + Login(profile1, 1) + Login(target, 2);
    const CliRun dry = RunCli(append + QStringList{"--dry-run"});
    EXPECT_TRUE(dry.out.contains("Source rows that would go: 3 rows")) << dry.out.toStdString();
    const CliRun run = RunCli(append);
    EXPECT_EQ(run.exitCode, cli::kDone) << run.err.toStdString();
    EXPECT_TRUE(run.err.startsWith("3 rows appended")) << run.err.toStdString();
    EXPECT_EQ(Ids(*connection, "ombrelia_test_wdst"), "1,2,3") << options.join(' ').toStdString();
  }
}

}  // namespace
