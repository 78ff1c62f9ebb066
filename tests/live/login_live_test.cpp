// Logins whose fields hold the characters of the connection string's own syntax, on a live
// SQL Server (see support/live_server.h).

#include <gtest/gtest.h>

#include "platform/odbc/adodb.h"
#include "support/live_server.h"
#include "support/read_rows.h"

namespace {

const QString kLogin = QStringLiteral("ombrelia_test_braces");

std::unique_ptr<adodb::Connection> Connect(const ConnectionProfile& profile) {
  std::unique_ptr<adodb::Connection> connection = adodb::CreateOdbcConnection();
  connection->Open(BuildConnectionString(profile));
  return connection;
}

QString LoginOf(const ConnectionProfile& profile) {
  const auto rows = ReadRows(*Connect(profile)->Execute(QStringLiteral("SELECT SUSER_NAME()")));
  return rows.at(0).at(0).text;
}

void DropLogin(adodb::Connection& admin) {
  admin.Execute(QStringLiteral("IF EXISTS (SELECT * FROM sys.server_principals WHERE name = N'%1') "
                               "DROP LOGIN [%1]")
                    .arg(kLogin));
}

}  // namespace

TEST(LoginLive, APasswordWithSemicolonAndBracesReachesTheServerAsTyped) {
  const std::optional<ConnectionProfile> admin = LiveProfile(1);
  if (!admin) GTEST_SKIP() << kNoLiveServer;
  const LiveDriver driver;
  const QString password = QStringLiteral("p;a{b}c}");
  {
    const std::unique_ptr<adodb::Connection> connection = Connect(*admin);
    DropLogin(*connection);
    connection->Execute(
        QStringLiteral("CREATE LOGIN [%1] WITH PASSWORD = N'%2'").arg(kLogin, password));
    connection->Execute(QStringLiteral("ALTER SERVER ROLE sysadmin ADD MEMBER [%1]").arg(kLogin));
  }
  ConnectionProfile profile = *admin;
  profile.User = kLogin;
  profile.Password = password;
  EXPECT_EQ(LoginOf(profile), kLogin);
  // The password is what lets the login in: a near one does not.
  profile.Password = QStringLiteral("p;a{b}}c}");
  EXPECT_THROW(Connect(profile), adodb::Error);
  // A value that would end the braces early never reaches the driver.
  profile.Password = QStringLiteral("x};Uid=") + admin->User;
  EXPECT_THROW(Connect(profile), UnsafeLoginValue);
  DropLogin(*Connect(*admin));
}
