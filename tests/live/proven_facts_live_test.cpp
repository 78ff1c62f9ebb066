// What the fast append decides about the servers, proven by them on a live SQL Server (see
// live_server.h): two servers of one name are two, the source's schema is the one its own login
// resolves, and a stop or a lost connection during the server's own copy is counted as the
// server counts it.

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <QProcess>
#include <QUuid>

#include "platform/desktop/dialogs.h"
#include "support/hooked_connection.h"
#include "support/live_append.h"
#include "support/scripted_dialogs.h"

namespace {

using ProvenFactsLive = LiveAppend;

// The ids of a table, in order.
QStringList Ids(const ConnectionProfile& profile, const QString& table) {
  QStringList ids;
  for (const auto& row : Select(profile, "SELECT id FROM [" + table + "] ORDER BY id")) {
    ids << row.at(0).text;
  }
  return ids;
}

qint64 RowCount(const ConnectionProfile& profile, const QString& table) {
  return Select(profile, "SELECT COUNT(*) FROM [" + table + "]").at(0).at(0).text.toLongLong();
}

// `rows` numbered rows in a fresh table.
void FillNumbered(const LiveTable& table, int rows) {
  table.Execute(
      QStringLiteral("WITH d AS (SELECT n FROM (VALUES (0),(1),(2),(3),(4),(5),(6),(7),(8),(9)) "
                     "v(n)) INSERT INTO [%1] SELECT TOP (%2) a.n + 10 * b.n + 100 * c.n + 1000 * "
                     "e.n + 10000 * f.n + 100000 * g.n + 1 FROM d a, d b, d c, d e, d f, d g")
          .arg(table.Name())
          .arg(rows));
}

// While it lives, every connection the program makes is a live one whose statements holding
// `hook.containing` are watched.
class HookedConnections {
 public:
  explicit HookedConnections(StatementHook hook) {
    adodb::SetConnectionProvider(
        [hook] { return HookedConnection(adodb::CreateOdbcConnection(), hook); });
  }
  ~HookedConnections() { adodb::SetConnectionProvider({}); }
};

// Whether a port of 127.0.0.2 takes connections.
bool Answers(unsigned short port) {
  const int probe = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  inet_pton(AF_INET, "127.0.0.2", &address.sin_addr);
  const bool answered =
      connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  close(probe);
  return answered;
}

// A port of 127.0.0.2 that carries every connection to `port` of 127.0.0.1, while it lives.
class Forwarder {
 public:
  Forwarder(const QString& listenPort, const QString& port) {
    process_.start(QStringLiteral("socat"),
                   {QStringLiteral("TCP-LISTEN:%1,bind=127.0.0.2,fork,reuseaddr").arg(listenPort),
                    QStringLiteral("TCP:127.0.0.1:%1").arg(port)});
    // Listening takes socat a moment after it started: its port is tried until it answers.
    for (int tried = 0; process_.waitForStarted() && !started_ && tried < 50; ++tried) {
      started_ = Answers(listenPort.toUShort());
      if (!started_) process_.waitForFinished(20);
    }
  }
  ~Forwarder() {
    process_.kill();
    process_.waitForFinished();
  }
  bool Started() const { return started_; }

 private:
  QProcess process_;
  bool started_ = false;
};

}  // namespace

// A second server of the same name (@@SERVERNAME), reached on the same port from another host:
// the target's server must not copy its own table of the source's name, and the rows go in
// batches from the source's own login.
TEST_F(ProvenFactsLive, TwoServersOfOneNameOnOnePortAreTwo) {
  const QString secondPort = qEnvironmentVariable("OMBRELIA_TEST_SECOND_PORT");
  if (secondPort.isEmpty()) {
    GTEST_SKIP() << "no second server: set OMBRELIA_TEST_SECOND_PORT to the port of a second "
                    "T-SQL server of the same login on 127.0.0.1";
  }
  const Forwarder forwarder(profile1.Port, secondPort);
  if (!forwarder.Started()) GTEST_SKIP() << "no forwarder to 127.0.0.2: is socat installed?";
  ConnectionProfile second1 = profile1;
  second1.Server = QStringLiteral("127.0.0.2");
  ConnectionProfile second2 = profile2;
  second2.Server = QStringLiteral("127.0.0.2");
  const LiveTable source(profile1, "id int");
  source.Execute("INSERT INTO [" + source.Name() + "] VALUES (1), (2), (3)");
  const QString twin = source.Name();
  Connect(second1)->Execute("CREATE TABLE [" + twin + "] (id int)");
  Connect(second1)->Execute("INSERT INTO [" + twin + "] VALUES (7), (8)");
  const LiveTable target(second2, "id int");

  ScriptedDialogs dialogs;
  const auto outcome = RunAppend(profile1, second2, source.Name(), target.Name(), false, true);
  Connect(second1)->Execute("DROP TABLE [" + twin + "]");
  EXPECT_EQ(dialogs.Texts(), QStringList({"Done."}));
  EXPECT_EQ(outcome.appended, 3);
  EXPECT_EQ(Ids(second2, target.Name()), QStringList({"1", "2", "3"}));
}

// The source's login has another default schema than the target's, and dbo holds a table of the
// same name: the server's copy reads the source's table, not dbo's.
TEST_F(ProvenFactsLive, TheServersCopyReadsTheTableOfTheSourcesOwnSchema) {
  const QString suffix = QUuid::createUuid().toString(QUuid::Id128).left(8);
  const QString login = "ombrelia_schema_" + suffix;
  const QString schema = "other_" + suffix;
  const QString password = QStringLiteral("Schema#2026");
  const QString table = "ombrelia_test_src_" + suffix;
  const std::unique_ptr<adodb::Connection> admin = Connect(profile1);
  admin->Execute("CREATE SCHEMA [" + schema + "]");
  admin->Execute("CREATE LOGIN [" + login + "] WITH PASSWORD = '" + password + "'");
  admin->Execute("CREATE USER [" + login + "] FOR LOGIN [" + login + "] WITH DEFAULT_SCHEMA = [" +
                 schema + "]");
  admin->Execute("CREATE TABLE [" + schema + "].[" + table + "] (id int)");
  admin->Execute("INSERT INTO [" + schema + "].[" + table + "] VALUES (7)");
  admin->Execute("GRANT SELECT ON [" + schema + "].[" + table + "] TO [" + login + "]");
  admin->Execute("CREATE TABLE [dbo].[" + table + "] (id int)");
  admin->Execute("INSERT INTO [dbo].[" + table + "] VALUES (1), (2)");
  ConnectionProfile own = profile1;
  own.User = login;
  own.Password = password;
  const LiveTable target(profile2, "id int");

  bool copiedByServer = false;
  const HookedConnections hooked({"SELECT * FROM [db1].[" + schema + "]",
                                  [&](adodb::Connection&) { copiedByServer = true; }, nullptr});
  ScriptedDialogs dialogs;
  const auto outcome = RunAppend(own, profile2, table, target.Name(), false, true);
  for (const QString& cleanUp :
       {"DROP TABLE [dbo].[" + table + "]", "DROP TABLE [" + schema + "].[" + table + "]",
        "DROP USER [" + login + "]", "DROP LOGIN [" + login + "]",
        "DROP SCHEMA [" + schema + "]"}) {
    admin->Execute(cleanUp);
  }
  EXPECT_TRUE(copiedByServer);  // two logins of one server, which the servers proved
  EXPECT_EQ(dialogs.Texts(), QStringList({"Done."}));
  EXPECT_EQ(outcome.appended, 1);
  EXPECT_EQ(Ids(profile2, target.Name()), QStringList({"7"}));
}

// A stop that reaches the server while it copies: a server that ends the statement first (the
// test server does; SQL Server when the cancel comes late) has written every row, and the run
// says so instead of 0.
TEST_F(ProvenFactsLive, AStopDuringTheServersCopyCountsWhatTheServerWrote) {
  const LiveTable source(profile1, "id int");
  // Long enough a copy that the stop reaches the server while it runs.
  FillNumbered(source, 500000);
  const LiveTable target(profile2, "id int");
  shell::Page page;
  ProgressBar bar;
  append::AppendProgress progress(page, bar);
  append::AppendEngine engine({source.Name(), target.Name(), false, profile1, profile2, true},
                              progress);
  const HookedConnections hooked({" SELECT * FROM ", nullptr, [&] { engine.Stop(); }});
  ScriptedDialogs dialogs;
  engine.Run();
  const auto outcome = engine.Result();
  const qint64 written = RowCount(profile2, target.Name());
  EXPECT_TRUE(outcome.stopped);
  EXPECT_EQ(outcome.appended, written);
  EXPECT_TRUE(outcome.afterCheck.isEmpty()) << outcome.afterCheck.toStdString();
  ASSERT_FALSE(dialogs.Texts().isEmpty());
  EXPECT_TRUE(
      dialogs.Texts().last().startsWith(QStringLiteral("Stopped. %1 rows appended.").arg(written)))
      << dialogs.Texts().last().toStdString();
}

// The target's session ends as the server's copy is sent: the copy wrote all of its rows or
// none, and the message says how to tell which, with the target's rows before.
TEST_F(ProvenFactsLive, AConnectionLostAtTheServersCopySaysHowToTellWhatItWrote) {
  const LiveTable source(profile1, "id int");
  FillNumbered(source, 500);
  const LiveTable target(profile2, "id int");
  const auto kill = [&](adodb::Connection& session) {
    const QString spid = ReadRows(*session.Execute("SELECT @@SPID")).at(0).at(0).text;
    Connect(profile1)->ExecuteNoRecords("KILL " + spid);
  };
  const HookedConnections hooked({" SELECT * FROM ", kill, nullptr});
  ScriptedDialogs dialogs;
  const auto outcome = RunAppend(profile1, profile2, source.Name(), target.Name(), false, true);
  EXPECT_EQ(outcome.lostDatabase, 2);
  EXPECT_EQ(outcome.appended, 0);
  EXPECT_EQ(outcome.notWritten, 0);
  ASSERT_EQ(dialogs.Texts().size(), 2);
  EXPECT_TRUE(dialogs.Texts()[0].contains("Form3.PushButton2_Click at line 156"));
  const QString told = QStringLiteral(
      "The connection to Database #2 was lost during the server's copy, which writes all of its "
      "rows or none. The table %1 held 0 rows before it; count its rows to tell which: 0 means "
      "none was written, 500 that all 500 were.");
  EXPECT_EQ(dialogs.Texts()[1], told.arg(target.Name())) << dialogs.Texts()[1].toStdString();
  EXPECT_EQ(outcome.lostCopyLine, dialogs.Texts()[1]);
}
