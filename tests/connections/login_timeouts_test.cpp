// The time-outs a login carries (the command line's --login-timeout and --query-timeout) reach
// the connection it opens, so that they bound the login and every statement after it.

#include <gtest/gtest.h>

#include "connections/encryption.h"
#include "support/fake_server.h"
#include "support/qt_printers.h"

TEST(LoginTimeouts, ALoginsTimeoutsReachItsConnectionAndNoneLeavesTheConnectionsOwn) {
  struct Case {
    int login;
    int query;
    QStringList properties;
  };
  const Case cases[] = {
      {4, 7, {"ConnectionTimeout=4", "CommandTimeout=7"}},
      {0, 7, {"CommandTimeout=7"}},
      {4, 0, {"ConnectionTimeout=4"}},
      {0, 0, {}},
  };
  for (const Case& c : cases) {
    FakeServer server;
    ConnectionProfile login{"sql1", "ann", "pw", "db1", "1433", "0"};
    login.LoginTimeout = c.login;
    login.QueryTimeout = c.query;
    const std::unique_ptr<adodb::Connection> connection = adodb::CreateConnection();
    OpenLogin(*connection, login);
    ASSERT_EQ(server.Connections().size(), 1u);
    EXPECT_EQ(server.Connections()[0].properties, c.properties) << c.login << " " << c.query;
    EXPECT_TRUE(server.Connections()[0].opened);
  }
}
