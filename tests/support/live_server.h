#pragma once

// A SQL Server for live tests, named by environment variables: OMBRELIA_TEST_SERVER (host),
// OMBRELIA_TEST_PORT (1433 when unset), OMBRELIA_TEST_USER, OMBRELIA_TEST_PASSWORD,
// OMBRELIA_TEST_DB1 and OMBRELIA_TEST_DB2. Without OMBRELIA_TEST_SERVER there is none.
//
// Test programs register the SQLite driver as "SQL Server" (see sqlite_odbc.h). A live test
// therefore holds a LiveDriver while it talks to the server:
//
//   const std::optional<ConnectionProfile> profile = LiveProfile(1);
//   if (!profile) GTEST_SKIP() << kNoLiveServer;
//   const LiveDriver driver;

#include <QByteArray>
#include <QString>
#include <optional>

#include "connections/connection_profile.h"

// Why a live test skips.
inline constexpr char kNoLiveServer[] =
    "no live SQL Server: set OMBRELIA_TEST_SERVER (and OMBRELIA_TEST_PORT, OMBRELIA_TEST_USER, "
    "OMBRELIA_TEST_PASSWORD, OMBRELIA_TEST_DB1, OMBRELIA_TEST_DB2) to run this test";

// The login of Database #1 (`database` 1) or Database #2 (2) on the live server, as the
// connection page would hold it; nothing when OMBRELIA_TEST_SERVER is unset.
std::optional<ConnectionProfile> LiveProfile(int database);

// The machine's own SQL Server ODBC driver library: OMBRELIA_TEST_DRIVER when set, else the
// driver of "SQL Server" in the machine's odbcinst.ini, else FreeTDS's libtdsodbc.so.
QString MachineSqlServerDriver();

// While it lives, the driver name "SQL Server" of the tests' private registry names `library`;
// then the registry is as it was.
class LiveDriver {
 public:
  explicit LiveDriver(const QString& library = MachineSqlServerDriver());
  ~LiveDriver();
  LiveDriver(const LiveDriver&) = delete;
  LiveDriver& operator=(const LiveDriver&) = delete;

 private:
  QByteArray saved_;
};
