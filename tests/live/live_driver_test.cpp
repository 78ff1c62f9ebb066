// The live tests' driver registration, tried with drivers of this machine.

#include <gtest/gtest.h>

#include "platform/odbc/adodb.h"
#include "support/live_server.h"
#include "support/sqlite_odbc.h"

namespace {

// True when "SQL Server" opens an in-memory database at a server address where nothing
// listens: SQLite ignores the server and opens, a SQL Server driver cannot reach it.
bool SqliteAnswers() {
  try {
    adodb::CreateOdbcConnection()->Open(
        "Driver={SQL Server};Server=127.0.0.1,1;Database=:memory:;Uid=u;Pwd=p;");
    return true;
  } catch (const adodb::Error&) {
    return false;
  }
}

// Puts an environment variable back as it was when the test ends.
class EnvironmentVariable {
 public:
  explicit EnvironmentVariable(const char* name)
      : name_(name), set_(qEnvironmentVariableIsSet(name)), value_(qgetenv(name)) {}
  ~EnvironmentVariable() {
    if (set_) {
      qputenv(name_, value_);
    } else {
      qunsetenv(name_);
    }
  }

 private:
  const char* name_;
  bool set_;
  QByteArray value_;
};

}  // namespace

TEST(LiveDriver, NamesTheMachinesDriverAsSqlServerForItsLifetimeOnly) {
  EXPECT_TRUE(SqliteAnswers());
  for (int round = 0; round < 2; ++round) {
    {
      const LiveDriver driver;
      EXPECT_FALSE(SqliteAnswers()) << MachineSqlServerDriver().toStdString();
    }
    EXPECT_TRUE(SqliteAnswers());
  }
}

TEST(LiveDriver, ProfilesComeFromTheEnvironment) {
  const EnvironmentVariable server("OMBRELIA_TEST_SERVER");
  const EnvironmentVariable port("OMBRELIA_TEST_PORT");
  const EnvironmentVariable database("OMBRELIA_TEST_DB2");
  qunsetenv("OMBRELIA_TEST_SERVER");
  EXPECT_FALSE(LiveProfile(1));
  qputenv("OMBRELIA_TEST_SERVER", "sql.example");
  qunsetenv("OMBRELIA_TEST_PORT");
  qputenv("OMBRELIA_TEST_DB2", "archive");
  const std::optional<ConnectionProfile> profile = LiveProfile(2);
  ASSERT_TRUE(profile);
  EXPECT_EQ(BuildConnectionString(*profile).section(';', 1, 2),
            "Server=sql.example,1433;Database=archive");
}
