// The table and field catalogue over the real driver manager and a real driver: SQLite,
// registered as "SQL Server", with database files standing in for the two databases.

#include <gtest/gtest.h>

#include <QListWidget>
#include <memory>

#include "catalogue/catalogue.h"
#include "platform/odbc/adodb.h"
#include "shell/table_lists.h"
#include "support/lists.h"
#include "support/sqlite_odbc.h"

namespace {

QStringList Sorted(QStringList texts) {
  texts.sort();
  return texts;
}

ConnectionProfile ProfileOf(const QString& database) {
  return {QStringLiteral("sqlite-host"), QStringLiteral("tester"),
          QStringLiteral("secret"),      database,
          QStringLiteral("1433"),        QStringLiteral("0")};
}

struct TwoDatabases : ConnectionProfiles {
  QString database1;
  QString database2;
  ConnectionProfile Profile1() const override { return ProfileOf(database1); }
  ConnectionProfile Profile2() const override { return ProfileOf(database2); }
};

class CatalogueOdbc : public ::testing::Test {
 protected:
  CatalogueOdbc() {
    profiles.database1 = sqlite.NewDatabase(QStringLiteral("first.db"));
    profiles.database2 = sqlite.NewDatabase(QStringLiteral("second.db"));
  }

  void Exec1(const QString& sql) { sqlite.Exec(profiles.database1, sql); }

  // A list that held something before, filled with the tables of Database #1.
  QStringList TablesOfDatabase1() {
    QListWidget list;
    list.addItems({QStringLiteral("stale"), QStringLiteral("entries")});
    MSSQL::FillTableList1(list, profiles);
    return Entries(list);
  }

  QStringList FieldsOf(const QString& table) {
    std::unique_ptr<adodb::Connection> connection = adodb::CreateOdbcConnection();
    connection->Open(BuildConnectionString(profiles.Profile1()));
    return MSSQL::FieldNames(*connection, table);
  }

  SqliteOdbc sqlite;
  TwoDatabases profiles;
};

}  // namespace

TEST_F(CatalogueOdbc, ListsUserTablesButNotViewsOrNamesContainingSys) {
  for (const char* table : {"Customers", "sysdiagrams", "MySystemLog", "TBL_SYS", "Physics",
                            "Orders", "Sys", "mysys_notes"}) {
    Exec1(QStringLiteral("CREATE TABLE [%1] (ID INTEGER)").arg(QLatin1String(table)));
  }
  Exec1(QStringLiteral("CREATE VIEW CustomerView AS SELECT ID FROM Customers"));
  Exec1(QStringLiteral("CREATE VIEW Overview AS SELECT ID FROM Orders"));
  // The order is the driver's; the catalogue keeps it.
  EXPECT_EQ(Sorted(TablesOfDatabase1()), QStringList({"Customers", "Orders", "Physics"}));
}

TEST_F(CatalogueOdbc, AnEmptyDatabaseGivesAnEmptyList) {
  EXPECT_TRUE(TablesOfDatabase1().isEmpty());
  Exec1(QStringLiteral("CREATE VIEW Lonely AS SELECT 1 AS One"));
  EXPECT_TRUE(TablesOfDatabase1().isEmpty());
}

TEST_F(CatalogueOdbc, EachListReadsItsOwnDatabase) {
  Exec1(QStringLiteral("CREATE TABLE Customers (ID INTEGER)"));
  sqlite.Exec(profiles.database2, QStringLiteral("CREATE TABLE Elsewhere (ID INTEGER)"));
  QListWidget list;
  MSSQL::FillTableList2(list, profiles);
  EXPECT_EQ(Entries(list), QStringList({"Elsewhere"}));
  MSSQL::FillTableList1(list, profiles);
  EXPECT_EQ(Entries(list), QStringList({"Customers"}));
}

TEST_F(CatalogueOdbc, AMissingDatabaseFolderFailsAndLeavesTheListAsItWas) {
  profiles.database1 = sqlite.Folder() + QStringLiteral("/no such folder/first.db");
  QListWidget list;
  list.addItem(QStringLiteral("kept"));
  EXPECT_THROW(MSSQL::FillTableList1(list, profiles), adodb::Error);
  EXPECT_EQ(Entries(list), QStringList({"kept"}));
}

TEST_F(CatalogueOdbc, FieldNamesComeInColumnOrderForEmptyAndFilledTables) {
  Exec1(QStringLiteral("CREATE TABLE Orders (Zeta INTEGER, [Customer ID] TEXT, Alpha REAL)"));
  EXPECT_EQ(FieldsOf(QStringLiteral("Orders")), QStringList({"Zeta", "Customer ID", "Alpha"}));
  Exec1(QStringLiteral("INSERT INTO Orders VALUES(1, 'a', 2.5)"));
  Exec1(QStringLiteral("INSERT INTO Orders VALUES(2, 'b', NULL)"));
  EXPECT_EQ(FieldsOf(QStringLiteral("Orders")), QStringList({"Zeta", "Customer ID", "Alpha"}));
}

// Every row of the view fails when the driver produces it (malformed JSON), so the names can
// only be read if no row is asked for.
TEST_F(CatalogueOdbc, FieldNamesFetchNoRow) {
  Exec1(QStringLiteral("CREATE TABLE Documents (ID INTEGER, Body TEXT)"));
  Exec1(QStringLiteral("INSERT INTO Documents VALUES(1, '{broken')"));
  Exec1(
      QStringLiteral("CREATE VIEW Unreadable AS "
                     "SELECT ID, json_extract(Body, '$.kind') AS Kind FROM Documents"));
  {
    std::unique_ptr<adodb::Connection> connection = adodb::CreateOdbcConnection();
    connection->Open(BuildConnectionString(profiles.Profile1()));
    EXPECT_THROW(
        {
          std::unique_ptr<adodb::Recordset> rows =
              connection->Execute(QStringLiteral("SELECT * FROM [Unreadable]"));
          rows->Eof();
        },
        adodb::Error);
  }
  EXPECT_EQ(FieldsOf(QStringLiteral("Unreadable")), QStringList({"ID", "Kind"}));
}

TEST_F(CatalogueOdbc, FieldNamesOfAMissingTableFailWithTheDriversText) {
  try {
    FieldsOf(QStringLiteral("Nowhere"));
    ADD_FAILURE() << "no error";
  } catch (const adodb::Error& error) {
    EXPECT_TRUE(error.Description().contains(QStringLiteral("Nowhere")))
        << error.Description().toStdString();
  }
}
