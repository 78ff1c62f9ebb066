// The append of many tables from the command line against a live SQL Server, in two databases
// of its own made for the test: --all --create into the empty one (the referenced table first),
// then --tables with --truncate and a table that refuses a row, read back through --json, and a
// statement cut by --query-timeout. Without a server named by OMBRELIA_TEST_SERVER it skips.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <memory>
#include <optional>

#include "cli/cli_run.h"
#include "platform/odbc/adodb.h"
#include "support/live_server.h"
#include "support/qt_printers.h"
#include "support/read_rows.h"
#include "support/scripted_terminal.h"
#include "support/temp_settings.h"

namespace {

// Named for this process: a database that a session the server still winds down keeps from an
// earlier run does not stand in this one's way.
const QString kSource =
    QStringLiteral("ombrelia_test_many_src_%1").arg(QCoreApplication::applicationPid());
const QString kTarget =
    QStringLiteral("ombrelia_test_many_dst_%1").arg(QCoreApplication::applicationPid());

QStringList LoginOptions(const ConnectionProfile& profile, int number) {
  const QString n = QString::number(number);
  return {"--server" + n, profile.Server, "--port" + n,     profile.Port,
          "--user" + n,   profile.User,   "--database" + n, profile.Database};
}

std::unique_ptr<adodb::Connection> Open(ConnectionProfile profile, const QString& database) {
  profile.Database = database;
  std::unique_ptr<adodb::Connection> connection = adodb::CreateOdbcConnection();
  connection->Open(BuildConnectionString(profile));
  return connection;
}

QString Rows(adodb::Connection& connection, const QString& table) {
  const std::unique_ptr<adodb::Recordset> rows =
      connection.Execute("SELECT * FROM " + table + " ORDER BY 1");
  QStringList text;
  for (const auto& row : ReadRows(*rows)) {
    QStringList values;
    for (const adodb::Value& value : row) values << (value.IsNull() ? "NULL" : value.text);
    text << values.join(u',');
  }
  return text.join(u';');
}

// The JSON objects of a run, by the source table's name; the run's own under "run".
std::map<QString, QJsonObject> JsonByTable(const CliRun& run) {
  std::map<QString, QJsonObject> objects;
  for (const QString& line : run.Lines()) {
    const QJsonObject object = QJsonDocument::fromJson(line.toUtf8()).object();
    const QString source = object.value("source").toString();
    objects[source.isEmpty() ? QStringLiteral("run") : source.section(u'.', -1)] = object;
  }
  return objects;
}

TEST(ManyTablesLive, AllCreateTablesTruncateRefusedRowsJsonAndTimeout) {
  std::optional<ConnectionProfile> login = LiveProfile(1);
  if (!login) GTEST_SKIP() << kNoLiveServer;
  const LiveDriver driver;
  const TempSettings settings;
  const ScriptedTerminal nobody(false);
  std::unique_ptr<adodb::Connection> master = Open(*login, "master");
  for (const QString& database : {kSource, kTarget}) {
    master->ExecuteNoRecords("IF DB_ID(N'" + database + "') IS NOT NULL DROP DATABASE " + database);
    master->ExecuteNoRecords("CREATE DATABASE " + database);
  }
  std::unique_ptr<adodb::Connection> source = Open(*login, kSource);
  std::unique_ptr<adodb::Connection> target = Open(*login, kTarget);
  // Named so that the child comes first by name: only its foreign key puts the parent first.
  source->ExecuteNoRecords("CREATE TABLE z_parent (id int PRIMARY KEY, name nvarchar(10))");
  source->ExecuteNoRecords(
      "CREATE TABLE a_child (id int PRIMARY KEY, parent int "
      "REFERENCES z_parent(id))");
  source->ExecuteNoRecords("CREATE TABLE m_plain (id int, v nvarchar(5))");
  source->ExecuteNoRecords("INSERT INTO z_parent VALUES (1, N'one'), (2, N'two'), (3, NULL)");
  source->ExecuteNoRecords("INSERT INTO a_child VALUES (10, 1), (11, 3)");
  source->ExecuteNoRecords("INSERT INTO m_plain VALUES (1, N'a'), (2, N'b')");
  ConnectionProfile from = *login;
  from.Database = kSource;
  ConnectionProfile into = *login;
  into.Database = kTarget;
  const QStringList logins = LoginOptions(from, 1) + LoginOptions(into, 2);
  qputenv("OMBRELIA_PASSWORD1", login->Password.toUtf8());
  qputenv("OMBRELIA_PASSWORD2", login->Password.toUtf8());

  const CliRun all =
      RunCli(QStringList{"append", "--to", "2", "--all", "--create", "--json"} + logins);
  EXPECT_EQ(all.exitCode, cli::kDone) << all.err.toStdString();
  const QString json = all.out;
  EXPECT_LT(json.indexOf("z_parent"), json.indexOf("a_child")) << json.toStdString();
  for (const char* table : {"z_parent", "a_child", "m_plain"}) {
    EXPECT_EQ(Rows(*target, table), Rows(*source, table)) << table;
  }
  // The copies are whole: the child's foreign key was made once both held their rows. It goes
  // again here, for the emptying below, which TRUNCATE would refuse the referenced table.
  const auto keys = ReadRows(*target->Execute(
      "SELECT name FROM sys.foreign_keys WHERE parent_object_id = OBJECT_ID(N'a_child')"));
  const QString key = keys.empty() ? QString() : keys.at(0).at(0).text;
  ASSERT_FALSE(key.isEmpty()) << "the child's foreign key was not made";
  target->ExecuteNoRecords("ALTER TABLE a_child DROP CONSTRAINT [" + key + "]");

  // The dry run says the targets would be emptied, and empties nothing.
  const CliRun dry =
      RunCli(QStringList{"append", "--to", "2", "--tables", "z_parent", "--truncate", "--dry-run"} +
             logins);
  EXPECT_TRUE(
      dry.out.contains("3 rows, into the target emptied first; the target holds 3 rows "
                       "now."))
      << dry.out.toStdString();
  EXPECT_EQ(Rows(*target, "z_parent"), Rows(*source, "z_parent"));

  // Every source row again, the targets emptied first; the target's check refuses one row.
  target->ExecuteNoRecords("ALTER TABLE m_plain ADD CONSTRAINT no_bad CHECK (v <> N'bad')");
  target->ExecuteNoRecords("INSERT INTO m_plain VALUES (9, N'left')");
  source->ExecuteNoRecords("INSERT INTO m_plain VALUES (3, N'bad'), (4, N'd')");
  const CliRun listed =
      RunCli(QStringList{"append", "--to", "2", "--tables", "m_plain,a_child,z_parent",
                         "--truncate", "--yes", "--json"} +
             logins);
  EXPECT_EQ(listed.exitCode, cli::kRefused) << listed.err.toStdString();
  std::map<QString, QJsonObject> objects = JsonByTable(listed);
  EXPECT_EQ(Rows(*target, "z_parent"), Rows(*source, "z_parent"));
  EXPECT_EQ(Rows(*target, "a_child"), Rows(*source, "a_child"));
  EXPECT_EQ(Rows(*target, "m_plain"), "1,a;2,b;4,d");
  for (const auto& [table, appended, refused] :
       {std::tuple{"z_parent", 3, 0}, std::tuple{"a_child", 2, 0}, std::tuple{"m_plain", 3, 1}}) {
    const QJsonObject object = objects[table];
    EXPECT_EQ(object.value("appended").toInt(), appended) << table;
    EXPECT_EQ(object.value("refused").toInt(), refused) << table;
    EXPECT_EQ(object.value("rows_after").toInt(), appended) << table;
    EXPECT_EQ(object.value("outcome").toString(), refused ? "rows refused" : "done") << table;
  }
  EXPECT_EQ(objects["run"].value("complete").toInt(), 2);
  EXPECT_EQ(objects["run"].value("exit_code").toInt(), cli::kRefused);

  // --stop-on-error: after the table that refuses a row, the next one does not start.
  const CliRun stopping = RunCli(QStringList{"append", "--to", "2", "--tables", "m_plain,z_parent",
                                             "--stop-on-error", "--json"} +
                                 logins);
  EXPECT_EQ(stopping.exitCode, cli::kRefused) << stopping.err.toStdString();
  objects = JsonByTable(stopping);
  EXPECT_EQ(objects["m_plain"].value("outcome").toString(), "rows refused");
  EXPECT_EQ(objects["z_parent"].value("outcome").toString(), "not run");
  EXPECT_EQ(Rows(*target, "z_parent"), Rows(*source, "z_parent"));

  // A statement that takes longer than --query-timeout: told as a time-out.
  source->ExecuteNoRecords("CREATE TABLE nums (n int)");
  // 72 rows, and a view of 3,732,480: seconds for the server to copy.
  source->ExecuteNoRecords(
      "INSERT INTO nums SELECT a.id FROM a_child a CROSS JOIN z_parent b "
      "CROSS JOIN m_plain c CROSS JOIN z_parent d");
  source->ExecuteNoRecords(
      "CREATE VIEW slow AS SELECT a.n FROM nums a CROSS JOIN nums b "
      "CROSS JOIN nums c CROSS JOIN (SELECT TOP 10 n FROM nums) d");
  target->ExecuteNoRecords("CREATE TABLE slow_copy (n int)");
  const CliRun slow = RunCli(
      QStringList{"append", "--to", "2", "slow", "slow_copy", "--query-timeout", "1"} + logins);
  EXPECT_EQ(slow.exitCode, cli::kRefused) << slow.err.toStdString();
  EXPECT_TRUE(slow.err.contains("timeout: a statement ran longer than --query-timeout"))
      << slow.err.toStdString();
  // What the target holds once the copy given up has ended, as the server counts it; or, not
  // counted, that the copy may have written.
  const QString holds =
      QStringLiteral("slow_copy holds %1 rows")
          .arg(ReadRows(*target->Execute("SELECT COUNT(*) FROM slow_copy")).at(0).at(0).text);
  EXPECT_TRUE(slow.err.contains(holds) ||
              slow.err.contains("it may have written rows all the same"))
      << slow.err.toStdString();

  qunsetenv("OMBRELIA_PASSWORD1");
  qunsetenv("OMBRELIA_PASSWORD2");
  source.reset();
  target.reset();
  // A session the server still winds down may keep a database a moment: it is left to the
  // throw-away server then.
  for (const QString& database : {kSource, kTarget}) {
    try {
      master->ExecuteNoRecords("DROP DATABASE " + database);
    } catch (const adodb::Error&) {
    }
  }
  EXPECT_TRUE(nobody.Prompts().isEmpty());
}

}  // namespace
