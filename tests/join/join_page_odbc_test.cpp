// The join page over the real driver manager: both logins name SQLite database files, and the
// page reads them through the driver registered as "SQL Server".

#include <QListWidget>

#include "join/join_page.h"
#include "mode/mode_choice_page.h"
#include "platform/odbc/adodb.h"
#include "support/lists.h"
#include "support/sqlite_odbc.h"
#include "support/wizard_fixture.h"

namespace {

QListWidget* List(QWidget& page, const char* name) {
  return page.findChild<QListWidget*>(name);
}

}  // namespace

class JoinPageOdbc : public WizardTest {
 protected:
  void SetUp() override {
    // The fixture installed the in-memory server; these tests use the real driver instead.
    adodb::SetConnectionProvider({});
    database1 = sqlite.NewDatabase(QStringLiteral("first.db"));
    database2 = sqlite.NewDatabase(QStringLiteral("second.db"));
    for (const char* sql :
         {"CREATE TABLE Customers (ID INTEGER, Name TEXT)",
          "CREATE TABLE Orders (ID INTEGER, CustomerID INTEGER, Total REAL)",
          "CREATE TABLE sysdiagrams (x INTEGER)", "CREATE TABLE MySystemLog (x INTEGER)",
          "CREATE TABLE TBL_SYS (x INTEGER)", "CREATE TABLE Physics (ID INTEGER, Mass REAL)",
          "CREATE VIEW CustomerView AS SELECT ID FROM Customers"}) {
      sqlite.Exec(database1, QString::fromLatin1(sql));
    }
    // Database #2 has an Orders table of its own with other fields, and a table of its own.
    sqlite.Exec(database2, QStringLiteral("CREATE TABLE Orders (Elsewhere TEXT)"));
    sqlite.Exec(database2, QStringLiteral("CREATE TABLE OnlyInTwo (x INTEGER)"));
    StoreLogins(database1, database2);
    wizard->Start();
    Form4& mode = wizard->form4();
    mode.findChild<QWidget*>("Option2")->setProperty("checked", true);
    mode.PushButton3_Click();
  }
  Form2& Page() { return wizard->form2(); }

  SqliteOdbc sqlite;
  QString database1;
  QString database2;
};

TEST_F(JoinPageOdbc, BothGroupsListTheUserTablesOfDatabaseOne) {
  ASSERT_TRUE(Page().isVisible());
  const QStringList tables = Entries(List(Page(), "List1"));
  QStringList sorted = tables;
  sorted.sort();
  EXPECT_EQ(sorted, QStringList({"Customers", "Orders", "Physics"}));
  EXPECT_EQ(Entries(List(Page(), "List3")), tables);
  EXPECT_TRUE(dialogs.Boxes().empty());
}

TEST_F(JoinPageOdbc, ChoosingATableInEitherGroupReadsItsFieldsThroughProfileOne) {
  Select(List(Page(), "List3"), "Orders");
  EXPECT_EQ(Entries(List(Page(), "List4")), QStringList({"ID", "CustomerID", "Total"}));
  Select(List(Page(), "List3"), "Physics");
  EXPECT_EQ(Entries(List(Page(), "List4")), QStringList({"ID", "Mass"}));
  Select(List(Page(), "List1"), "Customers");
  EXPECT_EQ(Entries(List(Page(), "List2")), QStringList({"ID", "Name"}));
  EXPECT_EQ(Page().MousePointer(), 0);
  EXPECT_TRUE(dialogs.Boxes().empty());
}

TEST_F(JoinPageOdbc, ATableDroppedSinceTheListWasFilledIsReportedAndLeavesNoFields) {
  Select(List(Page(), "List3"), "Orders");
  sqlite.Exec(database1, QStringLiteral("DROP TABLE Physics"));
  Select(List(Page(), "List3"), "Physics");
  ASSERT_EQ(dialogs.Texts().size(), 1);
  EXPECT_TRUE(dialogs.Texts()[0].contains("Physics")) << dialogs.Texts()[0].toStdString();
  EXPECT_TRUE(dialogs.Texts()[0].contains("Form2.List3_Click"));
  EXPECT_TRUE(Entries(List(Page(), "List4")).isEmpty());
  EXPECT_EQ(Page().MousePointer(), 0);
  EXPECT_EQ(Ended(), 0);
}
