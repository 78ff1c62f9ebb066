// A connection that the server ends from outside, on a live SQL Server (see live_server.h).

#include <gtest/gtest.h>

#include "platform/odbc/adodb.h"
#include "support/live_server.h"
#include "support/read_rows.h"

namespace {

std::unique_ptr<adodb::Connection> Connect(const ConnectionProfile& profile) {
  std::unique_ptr<adodb::Connection> connection = adodb::CreateOdbcConnection();
  connection->Open(BuildConnectionString(profile));
  return connection;
}

// How a statement on the connection fails: whether it failed at all, and whether for the loss.
enum class Outcome { Ran, Refused, Lost };
Outcome Try(adodb::Connection& connection, const QString& statement) {
  try {
    connection.ExecuteNoRecords(statement);
    return Outcome::Ran;
  } catch (const adodb::Error& error) {
    return error.ConnectionLost() ? Outcome::Lost : Outcome::Refused;
  }
}

}  // namespace

TEST(ConnectionLossLive, EveryStatementAfterAKillIsTakenForALostConnection) {
  const std::optional<ConnectionProfile> profile = LiveProfile(1);
  if (!profile) GTEST_SKIP() << kNoLiveServer;
  const LiveDriver driver;
  const std::unique_ptr<adodb::Connection> victim = Connect(*profile);
  EXPECT_EQ(Try(*victim, "SELECT * FROM ombrelia_test_no_such_table"), Outcome::Refused);
  const QString spid = ReadRows(*victim->Execute("SELECT @@SPID")).at(0).at(0).text;
  Connect(*profile)->ExecuteNoRecords("KILL " + spid);
  // The first statement meets the closed session, the later ones a connection known dead.
  EXPECT_EQ(Try(*victim, "SELECT 1"), Outcome::Lost);
  EXPECT_EQ(Try(*victim, "SELECT 1"), Outcome::Lost);
}
