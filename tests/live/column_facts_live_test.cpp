// What the catalogue of a live SQL Server says of a table's columns (see live_server.h).

#include <gtest/gtest.h>

#include "catalogue/column_facts.h"
#include "platform/odbc/adodb.h"
#include "support/live_server.h"

TEST(ColumnFactsLive, ServerNamesTypesAndTheColumnsTheServerFills) {
  const std::optional<ConnectionProfile> profile = LiveProfile(1);
  if (!profile) GTEST_SKIP() << kNoLiveServer;
  const LiveDriver driver;
  std::unique_ptr<adodb::Connection> connection = adodb::CreateOdbcConnection();
  connection->Open(BuildConnectionString(*profile));
  const QString table = QStringLiteral("ombrelia_test_Facts");
  connection->Execute("IF OBJECT_ID(N'[" + table + "]', N'U') IS NOT NULL DROP TABLE [" + table +
                      "]");
  connection->Execute("CREATE TABLE [" + table +
                      "] (Id int IDENTITY(1,1) NOT NULL, [Order Name] nvarchar(20) NOT NULL, "
                      "Total AS (Id * 2), Amount decimal(10, 2) NULL)");
  MSSQL::TableFacts facts = MSSQL::ReadColumnFacts(*connection, table);
  MSSQL::TableFacts again = MSSQL::ReadColumnFacts(*connection, {"dbo", table}, false);
  MSSQL::ReadObjectId(*connection, table, facts);
  MSSQL::ReadObjectId(*connection, {"dbo", table}, again);
  connection->Execute("DROP TABLE [" + table + "]");

  EXPECT_FALSE(facts.server.isEmpty());
  EXPECT_EQ(facts.database.toLower(), profile->Database.toLower());
  EXPECT_TRUE(facts.SameTableAs(again));
  EXPECT_EQ(facts.fieldCount, 4);
  ASSERT_EQ(facts.columns.size(), 4u);
  EXPECT_EQ(facts.columns[0].name, "Id");
  EXPECT_TRUE(facts.columns[0].identity);
  EXPECT_EQ(facts.columns[1].name, "Order Name");
  EXPECT_EQ(facts.columns[1].type, "nvarchar");
  EXPECT_TRUE(facts.columns[2].computed);
  EXPECT_FALSE(facts.columns[2].Writable());
  EXPECT_TRUE(facts.columns[3].type == "decimal" || facts.columns[3].type == "numeric");
  EXPECT_TRUE(facts.HasIdentity());
  EXPECT_THROW(MSSQL::ReadColumnFacts(*connection, {"dbo", "ombrelia_test_none"}), adodb::Error);
}
