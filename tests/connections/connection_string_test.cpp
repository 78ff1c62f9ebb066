#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QSet>

#include "connections/connection_profile.h"
#include "connections/encryption.h"

namespace {
ConnectionProfile Profile(QString server, QString port, QString local, QString db = "db",
                          QString user = "ann", QString password = "pw") {
  return {server, user, password, db, port, local};
}
}  // namespace

TEST(ConnectionString, ServerPortDatabaseUserPasswordInThatOrder) {
  EXPECT_EQ(BuildConnectionString(Profile("sql1", "1433", "0")),
            "Driver={SQL Server};Server=sql1,1433;Database=db;Uid=ann;Pwd=pw;");
  // Only "1" sets the flag; with it the port is left out whatever it holds.
  EXPECT_EQ(BuildConnectionString(Profile("sql1", "1433", "1")),
            "Driver={SQL Server};Server=sql1;Database=db;Uid=ann;Pwd=pw;");
  EXPECT_EQ(BuildConnectionString(Profile("sql1", "1433", "2")),
            "Driver={SQL Server};Server=sql1,1433;Database=db;Uid=ann;Pwd=pw;");
  EXPECT_EQ(BuildConnectionString(Profile("localhost\\SQLEXPRESS", "9", "1")),
            "Driver={SQL Server};Server=localhost\\SQLEXPRESS;Database=db;Uid=ann;Pwd=pw;");
}

TEST(ConnectionString, EmptyFieldsGiveEmptyValues) {
  EXPECT_EQ(BuildConnectionString(Profile("sql1", "", "0", "", "", "")),
            "Driver={SQL Server};Server=sql1,;Database=;Uid=;Pwd=;");
}

TEST(ConnectionString, ValuesThatWouldChangeItsMeaningAreBraced) {
  EXPECT_EQ(BuildConnectionString(Profile("sql1", "1433", "1", "db", "ann", "a;b")),
            "Driver={SQL Server};Server=sql1;Database=db;Uid=ann;Pwd={a;b};");
  EXPECT_EQ(BuildConnectionString(Profile("sql1", "1433", "1", "db", "ann", "x;Driver={y}")),
            "Driver={SQL Server};Server=sql1;Database=db;Uid=ann;Pwd={x;Driver={y}};");
  EXPECT_EQ(BuildConnectionString(Profile("sql1", "1433", "1", "{db", " ann", "pw ")),
            "Driver={SQL Server};Server=sql1;Database={{db};Uid={ ann};Pwd={pw };");
  EXPECT_EQ(BuildConnectionString(Profile("a;b", "1433", "0")),
            "Driver={SQL Server};Server={a;b,1433};Database=db;Uid=ann;Pwd=pw;");
  // A '}' elsewhere is read literally by the driver, so it goes in as typed.
  EXPECT_EQ(BuildConnectionString(Profile("sql1", "1433", "1", "db", "ann", "p}w")),
            "Driver={SQL Server};Server=sql1;Database=db;Uid=ann;Pwd=p}w;");
}

// The driver ends a braced value at its first "};" and keeps every '}' before it as it is.
TEST(ConnectionString, BracedValuesKeepTheirBracesAndThoseTheDriverCannotReadAreRefused) {
  EXPECT_EQ(BuildConnectionString(Profile("sql1", "1433", "1", "db", "ann", "p;a{b}c")),
            "Driver={SQL Server};Server=sql1;Database=db;Uid=ann;Pwd={p;a{b}c};");
  EXPECT_EQ(BuildConnectionString(Profile("sql1", "1433", "1", "db", "ann", "{x}")),
            "Driver={SQL Server};Server=sql1;Database=db;Uid=ann;Pwd={{x}};");
  const auto refusal = [](const ConnectionProfile& profile) {
    try {
      BuildConnectionString(profile);
    } catch (const UnsafeLoginValue& unsafe) {
      return unsafe.Description();
    }
    return QString();
  };
  EXPECT_TRUE(refusal(Profile("sql1", "1433", "1", "db", "ann", "a};Uid=sa"))
                  .startsWith("The Password of this login holds \"};\""));
  EXPECT_TRUE(refusal(Profile("sql1", "1433", "1", "db", "{u};x")).startsWith("The User "));
  EXPECT_TRUE(refusal(Profile("s};x", "1433", "0")).startsWith("The Server "));
  EXPECT_TRUE(refusal(Profile("s", "1};x", "0")).startsWith("The Port "));
  // Unbraced, "};" is read as it stands.
  EXPECT_EQ(BuildConnectionString(Profile("sql1", "1433", "1", "db", "ann", "p}w")),
            "Driver={SQL Server};Server=sql1;Database=db;Uid=ann;Pwd=p}w;");
}

TEST(ConnectionString, RequireAddsTheDriversKeyAndVerifyNamesTheLoginsOwnSection) {
  ConnectionProfile profile = Profile("sql1", "1433", "0");
  profile.Encryption = "require";
  EXPECT_EQ(BuildConnectionString(profile),
            "Driver={SQL Server};Server=sql1,1433;Database=db;Uid=ann;Pwd=pw;Encryption=require;");
  profile.Encryption = "verify";
  const QString verify = BuildConnectionString(profile);
  EXPECT_TRUE(QRegularExpression("^Driver=\\{SQL Server\\};Servername=ombrelia-[0-9a-f]{16};"
                                 "Database=db;Uid=ann;Pwd=pw;$")
                  .match(verify)
                  .hasMatch())
      << verify.toStdString();
  // The section is the server's, its port's and its CA file's; a word not known is verify.
  profile.Encryption = "strict";
  EXPECT_EQ(BuildConnectionString(profile), verify);
  profile.CaFile = "/certs/ca.pem";
  const QString withCaFile = BuildConnectionString(profile);
  profile.Port = "1434";
  EXPECT_EQ(QSet<QString>({verify, withCaFile, BuildConnectionString(profile)}).size(), 3);
  profile.Encryption = "";
  EXPECT_EQ(BuildConnectionString(profile),
            "Driver={SQL Server};Server=sql1,1434;Database=db;Uid=ann;Pwd=pw;");
}

TEST(ConnectionString, TheServerIsReadAsTheDriverReadsIt) {
  const auto parts = [](const ConnectionProfile& profile) {
    const ServerParts server = ServerOf(profile);
    return QStringLiteral("%1|%2|%3").arg(server.host).arg(server.port).arg(server.instance);
  };
  EXPECT_EQ(parts(Profile("sql1", "14331", "0")), "sql1|14331|");
  EXPECT_EQ(parts(Profile("localhost\\SQLEXPRESS", "1433", "1")), "localhost|0|SQLEXPRESS");
  EXPECT_EQ(parts(Profile("sql1", "x", "0")), "sql1,x|0|");
  EXPECT_EQ(parts(Profile("sql1", "1433", "1")), "sql1|0|");
}
