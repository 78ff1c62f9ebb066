// An append cut off and resumed, the program run as a user runs it, against a live SQL Server:
// one INSERT a row and batches (to the second server), each cut by a stop (Ctrl-C), by a killed
// process and by its sessions killed on the server; --resume then leaves the target holding
// exactly the source's rows. A source without a key says why it cannot be resumed; a target
// changed since the cut is refused, and --force goes on after its largest key. Without a server
// named by OMBRELIA_TEST_SERVER it skips.

#include <gtest/gtest.h>

#include <QProcess>
#include <QThread>
#include <csignal>

#include "support/live_program.h"

namespace {

enum class Cut { Stop, KillProcess, KillSessions };

using Side = LiveSide;

QString Contents(const Side& side) {
  return Contents(side, "k, id");
}

class ResumeLive : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::optional<ConnectionProfile> one = LiveProfile(1);
    const std::optional<ConnectionProfile> two = LiveProfile(2);
    if (!one || !two) GTEST_SKIP() << kNoLiveServer;
    driver_ = std::make_unique<LiveDriver>();  // until the tables are dropped
    source_ = {*one, LiveTable::UniqueName()};
    target_ = {*two, LiveTable::UniqueName()};
    qputenv("OMBRELIA_PASSWORD1", one->Password.toUtf8());
    qputenv("OMBRELIA_PASSWORD2", two->Password.toUtf8());
  }
  void TearDown() override {
    for (const Side* side : {&source_, &target_}) {
      if (!side->table.isEmpty()) {
        Connect(side->login)->ExecuteNoRecords("DROP TABLE IF EXISTS [" + side->table + "]");
      }
    }
  }

  void MakeTables(const QString& key, int rows) {
    Connect(source_.login)
        ->ExecuteNoRecords("CREATE TABLE [" + source_.table +
                           "] (id int NOT NULL, k nvarchar(4) NOT NULL, v nvarchar(100)" + key +
                           ")");
    Connect(source_.login)
        ->ExecuteNoRecords(
            QStringLiteral("INSERT INTO [%1] SELECT g, CONCAT(N'k', g % 3), "
                           "REPLICATE(N'v', 1 + g % 90) FROM generate_series(1, %2) g")
                .arg(source_.table)
                .arg(rows));
    Connect(target_.login)
        ->ExecuteNoRecords("CREATE TABLE [" + target_.table +
                           "] (id int NOT NULL, k nvarchar(4) NOT NULL, v nvarchar(100))");
  }

  QStringList Arguments(const QStringList& more) const {
    return QStringList{"append", "--to", "2", source_.table, target_.table} +
           LoginOptions(source_.login, 1) + LoginOptions(target_.login, 2) + more;
  }

  // The program's exit code and what it wrote, both outputs.
  std::pair<int, QString> Run(const QStringList& more) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(OMBRELIA_PROGRAM, Arguments(more));
    process.waitForFinished(120000);
    return {process.exitCode(), QString::fromUtf8(process.readAll())};
  }

  // Started, then cut once the target holds `after` rows or more.
  void RunAndCut(const QStringList& more, Cut cut, qint64 after) {
    QProcess process;
    process.start(OMBRELIA_PROGRAM, Arguments(more));
    ASSERT_TRUE(process.waitForStarted());
    while (Count(target_) < after && process.state() == QProcess::Running) QThread::msleep(20);
    ASSERT_EQ(process.state(), QProcess::Running) << "the run ended before it could be cut";
    switch (cut) {
      case Cut::Stop:
        ::kill(static_cast<pid_t>(process.processId()), SIGINT);
        break;
      case Cut::KillProcess:
        process.kill();
        break;
      case Cut::KillSessions:
        KillOtherSessions(source_.login);
        KillOtherSessions(target_.login);
        break;
    }
    process.waitForFinished(120000);
    EXPECT_NE(process.exitCode(), 0);
  }

  static void KillOtherSessions(const ConnectionProfile& login) {
    const std::unique_ptr<adodb::Connection> killer = Connect(login);
    for (const auto& row : ReadRows(*killer->Execute(
             "SELECT session_id FROM sys.dm_exec_sessions WHERE session_id <> @@SPID AND "
             "is_user_process = 1"))) {
      try {
        killer->ExecuteNoRecords("KILL " + row.at(0).text);
      } catch (const adodb::Error&) {
        // a session that ended meanwhile
      }
    }
  }

  void CutThreeWaysAndResume(const QStringList& way, int rows, qint64 cutAfter);

  std::unique_ptr<LiveDriver> driver_;
  Side source_;
  Side target_;
};

}  // namespace

// Each way cut by a stop, a killed process and killed sessions, then resumed; a way a test, so
// that each stays well inside its time on a loaded machine.
void ResumeLive::CutThreeWaysAndResume(const QStringList& way, int rows, qint64 cutAfter) {
  for (const Cut cut : {Cut::Stop, Cut::KillProcess, Cut::KillSessions}) {
    SCOPED_TRACE(QString("cut %1").arg(static_cast<int>(cut)).toStdString());
    TearDown();
    MakeTables(", PRIMARY KEY (k, id)", rows);
    RunAndCut(way, cut, cutAfter);
    const qint64 cutAt = Count(target_);
    EXPECT_LT(cutAt, rows);
    const auto [code, said] = Run(way + QStringList{"--resume"});
    EXPECT_EQ(code, 0) << said.toStdString();
    EXPECT_TRUE(said.contains(QString("the cut run wrote"))) << said.toStdString();
    EXPECT_TRUE(Contents(target_) == Contents(source_)) << Count(target_) << " rows";
  }
}

// Large enough that a fast server is still writing when the cut comes.
TEST_F(ResumeLive, OneInsertARowCutByStopKilledProcessAndKilledSessionsIsResumedExactly) {
  CutThreeWaysAndResume({"--one-by-one"}, 3000, 40);
}

TEST_F(ResumeLive, BatchesCutByStopKilledProcessAndKilledSessionsAreResumedExactly) {
  const QString secondPort = qEnvironmentVariable("OMBRELIA_TEST_SECOND_PORT");
  if (secondPort.isEmpty()) GTEST_SKIP() << "OMBRELIA_TEST_SECOND_PORT names no second server";
  target_.login.Port = secondPort;
  CutThreeWaysAndResume({}, 120000, 8000);
}

TEST_F(ResumeLive, NoKeyIsSaidAndAChangedTargetIsRefusedUnlessForced) {
  MakeTables("", 5);
  const auto [dryCode, dry] = Run({"--dry-run"});
  EXPECT_EQ(dryCode, 0);
  const auto [noKeyCode, noKey] = Run({"--resume"});
  EXPECT_EQ(noKeyCode, 1);
  for (const QString& said : {dry, noKey}) {
    EXPECT_TRUE(
        said.contains("has no primary key and no unique index whose columns are all NOT "
                      "NULL"))
        << said.toStdString();
  }
  EXPECT_EQ(Count(target_), 0);

  TearDown();
  MakeTables(", UNIQUE (id)", 5000);
  RunAndCut({"--one-by-one"}, Cut::Stop, 30);
  const qint64 cutAt = Count(target_);
  Connect(target_.login)
      ->ExecuteNoRecords("INSERT INTO [" + target_.table + "] VALUES (4000, N'k0', N'theirs')");
  const auto [changedCode, changed] = Run({"--one-by-one", "--resume"});
  EXPECT_EQ(changedCode, 1);
  EXPECT_TRUE(changed.contains("so it was changed since")) << changed.toStdString();
  EXPECT_EQ(Count(target_), cutAt + 1);
  const auto [forcedCode, forced] = Run({"--one-by-one", "--resume", "--force"});
  // After the largest key the target holds: the source's rows 4001 to 5000 follow it. The rows
  // between the cut and that key were never sent: said, and the run is not complete.
  EXPECT_EQ(forcedCode, 1) << forced.toStdString();
  EXPECT_TRUE(forced.contains("this append is not complete")) << forced.toStdString();
  EXPECT_EQ(Count(target_), cutAt + 1 + 1000);
}
