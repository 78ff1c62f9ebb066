// A run of five tables cut in its third, then gone on from, against a live SQL Server in two
// databases of its own: cut by Ctrl-C (the cut table then finished alone, named without its
// schema, before the run goes on) and by a killed process (the run goes on at once). The tables
// the cut run finished get nothing but looks; every table ends equal to its source, row by row.
// Without a server it skips.

#include <gtest/gtest.h>
#include <signal.h>

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <memory>
#include <optional>

#include "cli/console.h"
#include "support/live_program.h"
#include "support/live_server.h"
#include "support/qt_printers.h"

namespace {

const QString kSource =
    QStringLiteral("ombrelia_test_cut_src_%1").arg(QCoreApplication::applicationPid());
const QString kTarget =
    QStringLiteral("ombrelia_test_cut_dst_%1").arg(QCoreApplication::applicationPid());
const char* const kTables[] = {"first", "second", "cut", "fourth", "fifth"};
constexpr int kCutRows = 800;
constexpr int kCutAfter = 40;

QString AllRows(adodb::Connection& session) {
  QStringList all;
  for (const char* table : kTables) {
    all << QString::fromLatin1(table) + ": " + TableRows(session, table);
  }
  return all.join(u'\n');
}

void MakeSources(adodb::Connection& source) {
  source.ExecuteNoRecords("CREATE TABLE first (id int PRIMARY KEY, v nvarchar(10))");
  source.ExecuteNoRecords("CREATE TABLE second (id int PRIMARY KEY, up int REFERENCES first(id))");
  source.ExecuteNoRecords("CREATE TABLE cut (id int PRIMARY KEY, v nvarchar(20))");
  source.ExecuteNoRecords("CREATE INDEX cut_v ON cut (v)");
  source.ExecuteNoRecords("CREATE TABLE fourth (id int PRIMARY KEY, up int REFERENCES cut(id))");
  source.ExecuteNoRecords("CREATE TABLE fifth (id int, v int)");
  source.ExecuteNoRecords("INSERT INTO first VALUES (1, N'one'), (2, N'two')");
  source.ExecuteNoRecords("INSERT INTO second VALUES (10, 1), (11, 2)");
  source.ExecuteNoRecords(QStringLiteral("INSERT INTO cut SELECT g, N'row ' + CAST(g AS "
                                         "nvarchar(10)) FROM generate_series(1, %1) g")
                              .arg(kCutRows));
  source.ExecuteNoRecords("INSERT INTO fourth VALUES (1, 1), (2, 800)");
  source.ExecuteNoRecords("INSERT INTO fifth VALUES (1, 1), (1, 1)");
}

// The program's runs keep their journals in a folder of the test's own.
void InFolder(QProcess& process, const QString& dataHome) {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("XDG_DATA_HOME", dataHome);
  process.setProcessEnvironment(environment);
}

struct Ran {
  int exitCode = -1;
  QString err;
};

// A run of the program to its end, with no terminal to answer on.
Ran RunProgram(const QStringList& arguments, const QString& dataHome) {
  QProcess process;
  InFolder(process, dataHome);
  process.start(OMBRELIA_PROGRAM, arguments);
  process.closeWriteChannel();
  process.waitForFinished(120000);
  return {process.exitCode(), QString::fromUtf8(process.readAllStandardError())};
}

// Starts the run and cuts it with `signal` once the cut table holds some of its rows.
void RunAndCut(const QStringList& arguments, const QString& dataHome, adodb::Connection& target,
               int signal) {
  QProcess process;
  process.setProcessChannelMode(QProcess::MergedChannels);
  InFolder(process, dataHome);
  process.start(OMBRELIA_PROGRAM, arguments);
  ASSERT_TRUE(process.waitForStarted());
  const auto held = [&] {
    const auto rows =
        ReadRows(*target.Execute("SELECT CASE WHEN OBJECT_ID(N'cut') IS NULL THEN 0 ELSE 1 END"));
    if (rows.at(0).at(0).text != "1") return qint64{0};
    return ReadRows(*target.Execute("SELECT COUNT(*) FROM cut")).at(0).at(0).text.toLongLong();
  };
  while (held() < kCutAfter && !process.waitForFinished(20)) {
  }
  ASSERT_EQ(process.state(), QProcess::Running) << "the run ended before it could be cut:\n"
                                                << process.readAll().toStdString();
  ::kill(static_cast<pid_t>(process.processId()), signal);
  process.waitForFinished(120000);
  ASSERT_LT(held(), kCutRows) << process.readAll().toStdString();
}

// The statements the run sent that name `table` and are more than a look.
QStringList WritesTo(const QString& verbose, const QString& table) {
  QStringList writes;
  for (const QString& line : verbose.split(u'\n')) {
    if (!line.contains("[" + table + "]")) continue;
    const QString statement = line.section(QStringLiteral(" ms: "), 1).trimmed();
    if (!statement.startsWith("SELECT") && !statement.startsWith("SET NOCOUNT ON")) {
      writes << statement;
    }
  }
  return writes;
}

TEST(CutRunLive, FiveTablesCutInTheThirdGoOnWithNothingTwice) {
  std::optional<ConnectionProfile> login = LiveProfile(1);
  if (!login) GTEST_SKIP() << kNoLiveServer;
  const LiveDriver driver;
  const QTemporaryDir data;
  std::unique_ptr<adodb::Connection> master = ConnectTo(*login, "master");
  MakeFreshDatabases(*master, {kSource, kTarget});
  std::unique_ptr<adodb::Connection> source = ConnectTo(*login, kSource);
  MakeSources(*source);
  const QStringList logins = LoginsBetween(*login, kSource, kTarget);
  const QStringList run =
      QStringList{"append",   "--to",        "2", "--tables", "first,second,cut,fourth,fifth",
                  "--create", "--one-by-one"} +
      logins;

  for (const int signal : {SIGINT, SIGKILL}) {
    SCOPED_TRACE(signal == SIGINT ? "Ctrl-C" : "killed");
    std::unique_ptr<adodb::Connection> target = ConnectTo(*login, kTarget);
    for (const char* table : {"fifth", "fourth", "cut", "second", "first"}) {
      target->ExecuteNoRecords(QStringLiteral("DROP TABLE IF EXISTS ") + table);
    }
    RunAndCut(run, data.path(), *target, signal);
    const QString firstTwo = TableRows(*target, "first") + "|" + TableRows(*target, "second");

    // A plain run now asks, and without a terminal is refused, writing nothing.
    const Ran plain = RunProgram(run, data.path());
    EXPECT_EQ(plain.exitCode, cli::kRefused) << plain.err.toStdString();
    EXPECT_TRUE(plain.err.contains("--resume goes on from there")) << plain.err.toStdString();

    if (signal == SIGINT) {
      // The cut table alone, named without its schema, goes on from its own journal.
      const Ran alone = RunProgram(
          QStringList{"append", "--to", "2", "cut", "cut", "--resume", "--one-by-one"} + logins,
          data.path());
      EXPECT_EQ(alone.exitCode, cli::kDone) << alone.err.toStdString();
    }
    const Ran resumed = RunProgram(run + QStringList{"--resume", "--verbose"}, data.path());
    EXPECT_EQ(resumed.exitCode, cli::kDone) << resumed.err.toStdString();
    EXPECT_EQ(AllRows(*target), AllRows(*source)) << resumed.err.toStdString();
    EXPECT_EQ(TableRows(*target, "first") + "|" + TableRows(*target, "second"), firstTwo);
    for (const char* table : {"first", "second"}) {
      EXPECT_EQ(WritesTo(resumed.err, table), QStringList()) << table;
    }
    EXPECT_TRUE(resumed.err.contains("first: finished by the cut run, left as it is."))
        << resumed.err.toStdString();
    // The cut table made by the cut run is whole once its rows are in: its index and the
    // fourth table's foreign key to it.
    EXPECT_EQ(ReadRows(*target->Execute("SELECT COUNT(*) FROM sys.indexes WHERE object_id = "
                                        "OBJECT_ID(N'cut') AND name IS NOT NULL AND "
                                        "is_primary_key = 0"))
                  .at(0)
                  .at(0)
                  .text,
              "1");
    EXPECT_EQ(ReadRows(*target->Execute("SELECT COUNT(*) FROM sys.foreign_keys WHERE "
                                        "parent_object_id = OBJECT_ID(N'fourth')"))
                  .at(0)
                  .at(0)
                  .text,
              "1");
    // Nothing is left to go on from.
    const Ran again = RunProgram(run + QStringList{"--resume"}, data.path());
    EXPECT_EQ(again.exitCode, cli::kRefused);
    EXPECT_TRUE(again.err.contains("there is no cut run of these tables to go on from"))
        << again.err.toStdString();
  }

  source.reset();
  DropDatabasesIfFree(*master, {kSource, kTarget});
}

}  // namespace
