// A join cut while the server makes its staging copies, the program run as a user runs it: the
// program killed, or its session killed on the server. The next join finds no copy it does not
// know for its own: it drops what the cut join left and joins. Without a server named by
// OMBRELIA_TEST_SERVER it skips.

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>

#include "support/live_append.h"

namespace {

enum class Cut { KillProgram, KillSession };

// The statements of other sessions that hold `pattern` (a LIKE pattern) and run: SQL Server's
// requests, else the test server's own view of its sessions.
int Running(adodb::Connection& watcher, const QString& pattern) {
  try {
    return ReadRows(*watcher.Execute(
                        "SELECT COUNT(*) FROM sys.dm_exec_requests r CROSS APPLY "
                        "sys.dm_exec_sql_text(r.sql_handle) t WHERE r.session_id <> @@SPID AND "
                        "t.text LIKE N'" +
                        pattern + "'"))
        .at(0)
        .at(0)
        .text.toInt();
  } catch (const adodb::Error&) {
    return ReadRows(*watcher.Execute(
                        "SELECT COUNT(*) FROM pg_catalog.pg_stat_activity WHERE state = 'active' "
                        "AND query LIKE '" +
                        pattern + "'"))
        .at(0)
        .at(0)
        .text.toInt();
  }
}

// Every session of the server's users but the killer's and `spared`.
void KillOtherSessions(adodb::Connection& killer, const QString& spared) {
  for (const auto& row : ReadRows(*killer.Execute(
           "SELECT session_id FROM sys.dm_exec_sessions WHERE session_id <> @@SPID AND "
           "session_id <> " +
           spared + " AND is_user_process = 1"))) {
    try {
      killer.ExecuteNoRecords("KILL " + row.at(0).text);
    } catch (const adodb::Error&) {
      // a session that ended meanwhile
    }
  }
}

class StagingCopiesLive : public LiveAppend {
 protected:
  void SetUp() override {
    LiveAppend::SetUp();
    if (IsSkipped()) return;
    ASSERT_TRUE(home_.isValid());
    // The program's own files (its journal of staging copies among them) in the test's folder.
    environment_.insert("XDG_DATA_HOME", home_.path() + "/data");
    environment_.insert("XDG_CONFIG_HOME", home_.path() + "/config");
    environment_.insert("OMBRELIA_PASSWORD1", profile1.Password);
    watcher_ = Connect(profile1);
    watcherSession_ = ReadRows(*watcher_->Execute("SELECT @@SPID")).at(0).at(0).text;
    DropStagingCopies();
    small_.emplace(profile1, "id int NULL, name nvarchar(20) NULL");
    small_->Execute("INSERT INTO [" + small_->Name() + "] VALUES (1, N'one'), (2, N'two')");
    large_.emplace(profile1, "id int NULL, name nvarchar(40) NULL");
    large_->Execute(
        "WITH d AS (SELECT n FROM (VALUES (0),(1),(2),(3),(4),(5),(6),(7),(8),(9)) v(n)) "
        "INSERT INTO [" +
        large_->Name() +
        "] SELECT a.n + 10 * b.n + 100 * c.n + 1000 * e.n + 10000 * f.n + 100000 * g.n, "
        "N'a row of the large table' FROM d a, d b, d c, d e, d f, d g");
  }

  void TearDown() override {
    if (!watcher_) return;
    DropStagingCopies();
    watcher_->ExecuteNoRecords("DROP TABLE IF EXISTS [" + joined_ + "]");
  }

  void DropStagingCopies() {
    for (const char* copy : {"s_t1", "s_t2"}) {
      watcher_->ExecuteNoRecords(QStringLiteral("DROP TABLE IF EXISTS [%1]").arg(copy));
    }
  }

  QStringList JoinArguments(const QString& table1, const QString& table2) const {
    return {"join",        table1,    "id",          table2,          "id",
            "--into",      joined_,   "--server1",   profile1.Server, "--port1",
            profile1.Port, "--user1", profile1.User, "--database1",   profile1.Database};
  }

  // A join started, then cut once the server runs the statement that `pattern` finds.
  void RunAndCut(const QStringList& arguments, const QString& pattern, Cut cut) {
    QProcess process;
    process.setProcessEnvironment(environment_);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(OMBRELIA_PROGRAM, arguments);
    ASSERT_TRUE(process.waitForStarted());
    bool ended = false;
    while (Running(*watcher_, pattern) == 0 && !ended) ended = process.waitForFinished(20);
    ASSERT_FALSE(ended) << "the join ended before it could be cut: "
                        << QString::fromUtf8(process.readAll()).toStdString();
    if (cut == Cut::KillProgram) {
      process.kill();
    } else {
      KillOtherSessions(*Connect(profile1), watcherSession_);
    }
    process.waitForFinished(60000);
    // A server goes on with a statement whose program is gone: the cut ends with it.
    const QDeadlineTimer bound(60000);
    while (Running(*watcher_, pattern) > 0 && !bound.hasExpired()) QThread::msleep(20);
  }

  std::pair<int, QString> Run(const QStringList& arguments) {
    QProcess process;
    process.setProcessEnvironment(environment_);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(OMBRELIA_PROGRAM, arguments);
    process.waitForFinished(60000);
    return {process.exitCode(), QString::fromUtf8(process.readAll())};
  }

  int StagingCopiesLeft() {
    return ReadRows(*watcher_->Execute("SELECT COUNT(*) FROM sysobjects WHERE name IN (N's_t1', "
                                       "N's_t2') AND xtype = 'U'"))
        .at(0)
        .at(0)
        .text.toInt();
  }

  QTemporaryDir home_;
  QProcessEnvironment environment_ = QProcessEnvironment::systemEnvironment();
  std::unique_ptr<adodb::Connection> watcher_;
  QString watcherSession_;
  std::optional<LiveTable> small_;
  std::optional<LiveTable> large_;
  const QString joined_ = LiveTable::UniqueName();
};

struct Case {
  const char* what;
  bool largeFirst;  // which copy takes long: the cut falls on it
  Cut cut;
};

}  // namespace

TEST_F(StagingCopiesLive, AJoinCutWhileItCopiesLeavesNoCopyTheNextJoinRefuses) {
  const Case cases[] = {
      {"the program killed during the first copy", true, Cut::KillProgram},
      {"the program killed during the second copy", false, Cut::KillProgram},
      {"its session killed during the second copy", false, Cut::KillSession},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const QString first = c.largeFirst ? large_->Name() : small_->Name();
    const QString second = c.largeFirst ? small_->Name() : large_->Name();
    // "s[_]t1" finds the copy's statement and not the look for it, which holds "s[_]t1".
    const QString pattern = QStringLiteral("%INTO s[_]t%1 FROM%").arg(c.largeFirst ? 1 : 2);
    RunAndCut(JoinArguments(first, second), pattern, c.cut);
    const auto [exitCode, said] = Run(JoinArguments(small_->Name(), small_->Name()));
    EXPECT_EQ(exitCode, 0) << said.toStdString();
    EXPECT_EQ(StagingCopiesLeft(), 0);
    // Each case from a database without copies, whatever the one before left.
    DropStagingCopies();
    watcher_->ExecuteNoRecords("DROP TABLE IF EXISTS [" + joined_ + "]");
  }
}
