#include <gtest/gtest.h>

#include "connections/connection_profile.h"

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
            "Driver={SQL Server};Server=sql1;Database=db;Uid=ann;Pwd={x;Driver={y}}};");
  EXPECT_EQ(BuildConnectionString(Profile("sql1", "1433", "1", "{db", " ann", "pw ")),
            "Driver={SQL Server};Server=sql1;Database={{db};Uid={ ann};Pwd={pw };");
  EXPECT_EQ(BuildConnectionString(Profile("a;b", "1433", "0")),
            "Driver={SQL Server};Server={a;b,1433};Database=db;Uid=ann;Pwd=pw;");
  // A '}' elsewhere is read literally by the driver, so it goes in as typed.
  EXPECT_EQ(BuildConnectionString(Profile("sql1", "1433", "1", "db", "ann", "p}w")),
            "Driver={SQL Server};Server=sql1;Database=db;Uid=ann;Pwd=p}w;");
}
