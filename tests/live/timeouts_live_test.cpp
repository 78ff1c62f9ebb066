// The command line's time-outs where the server does not answer, as a user runs it:
// --login-timeout bounds the whole login to a port that takes the connection and never answers
// (a listener of the test's own, on loopback), and --query-timeout bounds the checks on a table
// that another session keeps locked. Each run is given far longer than its time-outs before it
// counts as hanging. Without a server named by OMBRELIA_TEST_SERVER (whose driver the runs use)
// it skips.

#include <gtest/gtest.h>

#include <QProcess>
#include <QTcpServer>

#include "cli/console.h"
#include "support/live_append.h"

namespace {

// Far longer than the time-outs given, far shorter than the driver's or the connection's own.
constexpr int kHangingAfterMs = 25000;

QStringList LoginOptions(const ConnectionProfile& profile, int number) {
  const QString n = QString::number(number);
  return {"--server" + n, profile.Server, "--port" + n,     profile.Port,
          "--user" + n,   profile.User,   "--database" + n, profile.Database};
}

struct Ended {
  bool ended = false;
  int exitCode = -1;
  QString output;
};

// The program run with `arguments`, killed when it is still running after kHangingAfterMs.
Ended RunBounded(const QStringList& arguments) {
  QProcess process;
  process.setProcessChannelMode(QProcess::MergedChannels);
  process.start(OMBRELIA_PROGRAM, arguments);
  Ended run;
  run.ended = process.waitForFinished(kHangingAfterMs);
  if (!run.ended) {
    process.kill();
    process.waitForFinished();
  }
  run.exitCode = process.exitCode();
  run.output = QString::fromUtf8(process.readAll());
  return run;
}

class TimeoutsLive : public LiveAppend {
 protected:
  void SetUp() override {
    LiveAppend::SetUp();
    if (IsSkipped()) return;
    qputenv("OMBRELIA_PASSWORD1", profile1.Password.toUtf8());
    qputenv("OMBRELIA_PASSWORD2", profile2.Password.toUtf8());
  }
};

}  // namespace

// The system completes the connection to a listening port; nothing ever reads or answers it.
TEST_F(TimeoutsLive, LoginTimeoutBoundsALoginThatIsNeverAnswered) {
  QTcpServer silent;
  ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
  ConnectionProfile unanswered = profile1;
  unanswered.Server = QStringLiteral("127.0.0.1");
  unanswered.Port = QString::number(silent.serverPort());
  const Ended run =
      RunBounded(QStringList{"append", "--to", "2", "a", "b", "--dry-run", "--login-timeout", "2"} +
                 LoginOptions(unanswered, 1) + LoginOptions(profile2, 2));
  ASSERT_TRUE(run.ended) << "the login was still waiting after " << kHangingAfterMs << " ms";
  EXPECT_EQ(run.exitCode, cli::kNotConnected) << run.output.toStdString();
  EXPECT_TRUE(run.output.contains("cannot open Database #1")) << run.output.toStdString();
}

// A table whose columns another session is changing cannot be read until that session ends.
TEST_F(TimeoutsLive, QueryTimeoutBoundsTheChecksOnALockedTable) {
  const LiveTable locked(profile1, "id int NULL");
  const LiveTable target(profile2, "id int NULL");
  Ended run;
  {
    const std::unique_ptr<adodb::Connection> holder = Connect(profile1);
    holder->BeginTrans();
    holder->ExecuteNoRecords("ALTER TABLE [" + locked.Name() + "] ADD held int NULL");
    run = RunBounded(QStringList{"append", "--to", "2", locked.Name(), target.Name(), "--dry-run",
                                 "--query-timeout", "2"} +
                     LoginOptions(profile1, 1) + LoginOptions(profile2, 2));
    holder->RollbackTrans();
  }
  ASSERT_TRUE(run.ended) << "the checks were still waiting after " << kHangingAfterMs << " ms";
  EXPECT_EQ(run.exitCode, cli::kRefused) << run.output.toStdString();
  EXPECT_TRUE(run.output.contains("cannot read table '" + locked.Name() + "'"))
      << run.output.toStdString();
}
