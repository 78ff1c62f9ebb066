// Appends and joins of tables as people have them, on a live SQL Server (see live_server.h):
// identity keys, columns the server fills itself, tables of a second schema, and the question
// before columns that differ are appended by position.

#include <gtest/gtest.h>

#include <QListWidget>

#include "append/engine/append_engine.h"
#include "append/page/append_progress.h"
#include "catalogue/catalogue.h"
#include "controls/progress_bar.h"
#include "join/field_name_registry.h"
#include "join/join_engine.h"
#include "join/join_page_report.h"
#include "platform/desktop/dialogs.h"
#include "shell/page.h"
#include "support/live_server.h"
#include "support/read_rows.h"
#include "support/scripted_dialogs.h"

namespace {

const QString kSchema = QStringLiteral("ombrelia_test_s");
const QString kSource = QStringLiteral("ombrelia_test_rsource");
const QString kTarget = QStringLiteral("ombrelia_test_rtarget");
const QString kTwin = QStringLiteral("ombrelia_test_twin");
const QString kJoined = QStringLiteral("ombrelia_test_rjoined");

class RealTablesLive : public ::testing::Test {
 protected:
  void SetUp() override {
    profile1 = LiveProfile(1);
    profile2 = LiveProfile(2);
    if (!profile1 || !profile2) GTEST_SKIP() << kNoLiveServer;
    driver.emplace();
    db1 = Connect(*profile1);
    db2 = Connect(*profile2);
    DropAll();
    db1->Execute("IF SCHEMA_ID(N'" + kSchema + "') IS NULL EXEC(N'CREATE SCHEMA " + kSchema + "')");
  }

  void TearDown() override {
    if (!db1) return;
    DropAll();
    db1->Execute("IF SCHEMA_ID(N'" + kSchema + "') IS NOT NULL EXEC(N'DROP SCHEMA " + kSchema +
                 "')");
  }

  static std::unique_ptr<adodb::Connection> Connect(const ConnectionProfile& profile) {
    std::unique_ptr<adodb::Connection> connection = adodb::CreateOdbcConnection();
    connection->Open(BuildConnectionString(profile));
    return connection;
  }

  static void Drop(adodb::Connection& connection, const QString& table) {
    connection.Execute("IF OBJECT_ID(N'" + table + "', N'U') IS NOT NULL DROP TABLE " + table);
  }

  void DropAll() {
    for (const QString& table : {kSource, kTarget, kTwin, kJoined}) Drop(*db1, table);
    Drop(*db1, kSchema + "." + kTwin);
    for (const QString& table : {kSource, kTarget}) Drop(*db2, table);
  }

  // Appends the table of Database #2 to the table of Database #1.
  void Append(const MSSQL::TableName& target, const MSSQL::TableName& source, bool fast = false) {
    shell::Page page;
    ProgressBar bar;
    append::AppendProgress progress(page, bar);
    append::AppendEngine({target, source, true, *profile1, *profile2, fast}, progress).Run();
  }

  static QStringList Texts(adodb::Connection& connection, const QString& select) {
    QStringList rows;
    for (const auto& row : ReadRows(*connection.Execute(select))) {
      QStringList values;
      for (const adodb::Value& value : row) values << (value.IsNull() ? "NULL" : value.text);
      rows << values.join('|');
    }
    return rows;
  }

  std::optional<ConnectionProfile> profile1;
  std::optional<ConnectionProfile> profile2;
  std::optional<LiveDriver> driver;
  std::unique_ptr<adodb::Connection> db1;
  std::unique_ptr<adodb::Connection> db2;
  ScriptedDialogs dialogs;
};

}  // namespace

TEST_F(RealTablesLive, IdentityKeysAreKeptAndATakenKeyIsRefusedAlone) {
  const QString layout = " (Id int IDENTITY(1,1) PRIMARY KEY, Name nvarchar(20))";
  db2->Execute("CREATE TABLE " + kSource + layout);
  db1->Execute("CREATE TABLE " + kTarget + layout);
  db2->Execute("SET IDENTITY_INSERT " + kSource + " ON");
  db2->Execute("INSERT INTO " + kSource +
               " (Id, Name) VALUES (5, N'five'), (7, N'seven'), "
               "(9, N'nine')");
  db2->Execute("SET IDENTITY_INSERT " + kSource + " OFF");
  db1->Execute("INSERT INTO " + kTarget + " (Name) VALUES (N'one')");
  db1->Execute("SET IDENTITY_INSERT " + kTarget + " ON");
  db1->Execute("INSERT INTO " + kTarget + " (Id, Name) VALUES (7, N'old')");
  db1->Execute("SET IDENTITY_INSERT " + kTarget + " OFF");

  Append(kTarget, kSource);

  EXPECT_EQ(Texts(*db1, "SELECT Id, Name FROM " + kTarget + " ORDER BY Id"),
            QStringList({"1|one", "5|five", "7|old", "9|nine"}));
  ASSERT_EQ(dialogs.Boxes().size(), 2u);  // the refused key 7, then the closing message
  EXPECT_EQ(dialogs.Boxes()[0].flags, 48);
  // IDENTITY_INSERT was set off again: the next run can set it on for another table.
  db2->Execute("DELETE FROM " + kSource);
  db2->Execute("INSERT INTO " + kSource + " (Name) VALUES (N'new')");
  dialogs.Clear();
  Append(kTarget, kSource);
  EXPECT_EQ(dialogs.Texts(), QStringList({"Done."}));
}

TEST_F(RealTablesLive, ATargetWithComputedAndRowversionColumnsReceivesEveryRow) {
  // This server creates rowversion columns only once the connection allows them; SQL Server
  // always does.
  const QString allow = "EXEC sp_babelfish_configure 'escape_hatch_rowversion', 'ignore'";
  try {
    db1->Execute(allow);
    db2->Execute(allow);
  } catch (const adodb::Error&) {
  }
  const QString layout = " (A int, B int, Total AS (A + B), Stamp rowversion)";
  db2->Execute("CREATE TABLE " + kSource + layout);
  db1->Execute("CREATE TABLE " + kTarget + layout);
  db2->Execute("INSERT INTO " + kSource + " (A, B) VALUES (1, 2), (3, 4)");

  Append(kTarget, kSource);

  EXPECT_EQ(dialogs.Texts(), QStringList({"Done."}));
  EXPECT_EQ(Texts(*db1, "SELECT A, B, Total FROM " + kTarget + " ORDER BY A"),
            QStringList({"1|2|3", "3|4|7"}));
}

TEST_F(RealTablesLive, ATableOfASecondSchemaIsListedAppendedToJoinedAndKeptApartFromItsTwin) {
  const QString layout = " (Id int, Name nvarchar(20))";
  db1->Execute("CREATE TABLE " + kTwin + layout);
  db1->Execute("CREATE TABLE " + kSchema + "." + kTwin + layout);
  db1->Execute("INSERT INTO " + kTwin + " VALUES (1, N'dbo one')");
  db2->Execute("CREATE TABLE " + kSource + layout);
  db2->Execute("INSERT INTO " + kSource + " VALUES (1, N'appended'), (2, N'second')");

  MSSQL::TableListing listing;
  MSSQL::ReadTableNames(*profile1, listing);
  // This server gives table names in lower case; SQL Server as they were written.
  EXPECT_TRUE(listing.names.contains(kSchema + "." + kTwin, Qt::CaseInsensitive));
  EXPECT_TRUE(listing.names.contains(kTwin, Qt::CaseInsensitive));
  const auto listed = std::find_if(listing.tables.begin(), listing.tables.end(),
                                   [](auto& t) { return t.schema == kSchema; });
  ASSERT_NE(listed, listing.tables.end());

  Append(*listed, kSource);
  EXPECT_EQ(dialogs.Texts(), QStringList({"Done."}));
  EXPECT_EQ(Texts(*db1, "SELECT * FROM " + kSchema + "." + kTwin + " ORDER BY Id"),
            QStringList({"1|appended", "2|second"}));
  EXPECT_EQ(Texts(*db1, "SELECT * FROM dbo." + kTwin), QStringList({"1|dbo one"}));

  dialogs.Clear();
  dialogs.Type(kJoined);
  shell::Page page;
  QListWidget list1;
  QListWidget list3;
  JoinPageReport report(page, list1, list3);
  FieldNameRegistry registry;
  JoinEngine(report, registry)
      .Run(JoinSelection{*listed, "Id", MSSQL::TableName(kTwin), "Id"}, *profile1, {});
  EXPECT_EQ(dialogs.Texts().value(1), "Done.");
  EXPECT_EQ(Texts(*db1, "SELECT * FROM " + kJoined + " ORDER BY Id"),
            QStringList({"1|appended|1|dbo one", "2|second|NULL|NULL"}));

  // A new name that reads as the listed table of the other schema is refused: no table of that
  // name appears beside it in the default schema.
  dialogs.Clear();
  dialogs.Type(listed->Display());
  JoinEngine(report, registry)
      .Run(JoinSelection{*listed, "Id", MSSQL::TableName(kTwin), "Id"}, *profile1, listing.tables);
  EXPECT_TRUE(dialogs.Texts().value(1).contains("choose another name"))
      << dialogs.Texts().join("|").toStdString();
  EXPECT_EQ(Texts(*db1, "SELECT CASE WHEN OBJECT_ID(N'[dbo].[" + listed->Display() +
                            "]') IS NULL THEN 0 ELSE 1 END"),
            QStringList({"0"}));
}

TEST_F(RealTablesLive, SwappedColumnsAreAskedAboutAndNoChangesNothing) {
  db2->Execute("CREATE TABLE " + kSource + " (Title nvarchar(20), Id int)");
  db1->Execute("CREATE TABLE " + kTarget + " (Id int, Name nvarchar(20))");
  db2->Execute("INSERT INTO " + kSource + " VALUES (N'x', 1)");
  dialogs.Answer(dialogs::vbNo);

  Append(kTarget, kSource);

  ASSERT_EQ(dialogs.Boxes().size(), 1u);
  EXPECT_EQ(dialogs.Boxes()[0].flags, dialogs::vbYesNo | dialogs::vbDefaultButton2);
  EXPECT_TRUE(dialogs.Texts()[0].contains("1: Title (nvarchar) -> Id (int)"));
  EXPECT_TRUE(dialogs.Texts()[0].contains("2: Id (int) -> Name (nvarchar)"));
  EXPECT_TRUE(Texts(*db1, "SELECT * FROM " + kTarget).isEmpty());
}

// A source (a, b, c) appended by name into a target (c, a, b): every value lands in its own
// column, row by row, by the server's own copy, and in batches, which take over when the server
// refuses its copy whole for one row.
TEST_F(RealTablesLive, TheSameColumnsInAnotherOrderAreAppendedByNameEveryWay) {
  db2->Execute("CREATE TABLE " + kSource + " (a int, b varchar(10), c int)");
  db1->Execute("CREATE TABLE " + kTarget + " (c int, a int, b int)");
  db2->Execute("INSERT INTO " + kSource + " VALUES (1, '2', 3), (4, '5', 6)");
  const QString written = "SELECT a, b, c FROM " + kTarget + " ORDER BY a";
  for (const int way : {0, 1, 2}) {  // row by row, the server's copy, the batches
    if (way == 2) db2->Execute("INSERT INTO " + kSource + " VALUES (7, 'x', 9)");
    dialogs.Clear();
    dialogs.Answer(dialogs::vbYes);
    Append(kTarget, kSource, way > 0);
    ASSERT_EQ(dialogs.Boxes()[0].flags, dialogs::vbYesNoCancel);
    EXPECT_EQ(dialogs.Texts().size(), way == 2 ? 3 : 2) << dialogs.Texts().join('|').toStdString();
    EXPECT_TRUE(dialogs.Texts().last().startsWith("Done."));
    EXPECT_EQ(Texts(*db1, written), QStringList({"1|2|3", "4|5|6"})) << way;
    db1->Execute("DELETE FROM " + kTarget);
  }
}
