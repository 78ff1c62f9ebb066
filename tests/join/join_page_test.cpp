#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include "connections/connection_page.h"
#include "controls/progress_bar.h"
#include "join/join_page.h"
#include "mode/mode_choice_page.h"
#include "support/lists.h"
#include "support/mouse.h"
#include "support/wizard_fixture.h"

namespace {

QListWidget* List(QWidget& page, const char* name) {
  return page.findChild<QListWidget*>(name);
}

}  // namespace

class JoinPage : public WizardTest {
 protected:
  void SetUp() override {
    server.AddTable("db1", "Customers", {"ID", "Name"}, {FakeServer::TextRow({"1", "Ann"})});
    server.AddView("db1", "CustomerView", {"ID"});
    server.AddTable("db1", "sysdiagrams", {"x"});
    server.AddTable("db1", "MySystemLog", {"x"});
    server.AddTable("db1", "TBL_SYS", {"x"});
    server.AddSystemTable("db1", "sysobjects", {"id"});
    server.AddTable("db1", "Physics", {"ID", "Mass"});
    server.AddTable("db1", "Orders", {"ID", "CustomerID", "Total"});
    server.AddTable("db2", "Elsewhere", {"ID"});
    StoreLogins("db1", "db2");
    wizard->Start();
    Form4& mode = wizard->form4();
    mode.findChild<QWidget*>("Option2")->setProperty("checked", true);
    mode.PushButton3_Click();
  }
  Form2& Page() { return wizard->form2(); }
};

TEST_F(JoinPage, BothGroupsListTheUserTablesOfDatabaseOne) {
  EXPECT_EQ(Page().windowTitle(), "Ombrelia");
  EXPECT_TRUE(Page().isVisible());
  EXPECT_EQ(Entries(List(Page(), "List1")), QStringList({"Customers", "Physics", "Orders"}));
  EXPECT_EQ(Entries(List(Page(), "List3")), QStringList({"Customers", "Physics", "Orders"}));
  EXPECT_TRUE(List(Page(), "List1")->selectedItems().isEmpty());
  EXPECT_EQ(Page().findChild<QLineEdit*>("Text1")->text(), "1");
  EXPECT_EQ(Page().findChild<ProgressBar*>("ProgressBar1")->Text(), "Progress Bar");
}

TEST_F(JoinPage, ChoosingATableListsItsFieldsThroughProfileOne) {
  const int fetchedBefore = server.RowsFetched();
  Select(List(Page(), "List3"), "Orders");
  EXPECT_EQ(Entries(List(Page(), "List4")), QStringList({"ID", "CustomerID", "Total"}));
  const auto& connection = server.Connections().back();
  EXPECT_TRUE(connection.connectionString.contains("Database=db1;"));
  EXPECT_EQ(connection.properties, QStringList({"Mode=3"}));
  Select(List(Page(), "List3"), "Physics");
  EXPECT_EQ(Entries(List(Page(), "List4")), QStringList({"ID", "Mass"}));
  EXPECT_EQ(Page().MousePointer(), 0);
  EXPECT_EQ(server.RowsFetched(), fetchedBefore);
}

TEST_F(JoinPage, AFieldListThatCannotBeReadIsReportedOnceAndLeavesNoOldFields) {
  Select(List(Page(), "List1"), "Customers");
  server.RefuseStatements("[Physics]", "Invalid object name 'Physics'.");
  Select(List(Page(), "List1"), "Physics");
  ASSERT_EQ(dialogs.Texts().size(), 1);
  EXPECT_TRUE(dialogs.Texts()[0].startsWith(
      "Invalid object name 'Physics'.\r\nin Kestrava2021/08/31.Form2.List1_Click at line "));
  EXPECT_TRUE(Entries(List(Page(), "List2")).isEmpty());
  EXPECT_EQ(Page().MousePointer(), 0);
  EXPECT_EQ(Ended(), 0);
}

// Keys typed while a table's fields are read are not lost: the newest choice supersedes the
// listing in progress, and the field list ends with the fields of the table chosen last.
TEST_F(JoinPage, KeysTypedWhileFieldsAreReadMoveTheSelectionAndTheLastChoiceIsListed) {
  QListWidget* tables = List(Page(), "List1");
  tables->setFocus();
  tables->setCurrentRow(0);
  QCoreApplication::processEvents();
  server.BlockStatements("[Physics]", [&] {
    QTest::keyClick(tables, Qt::Key_Down);
    server.Release();
  });
  QTest::keyClick(tables, Qt::Key_Down);
  QCoreApplication::processEvents();
  EXPECT_EQ(tables->currentItem()->text(), "Orders");
  EXPECT_EQ(Entries(List(Page(), "List2")), QStringList({"ID", "CustomerID", "Total"}));
  EXPECT_EQ(Page().MousePointer(), 0);
}

TEST_F(JoinPage, StartJoiningRunsTheEngineWithThePageChoices) {
  Select(List(Page(), "List1"), "Customers");
  Select(List(Page(), "List2"), "ID");
  Select(List(Page(), "List3"), "Orders");
  Select(List(Page(), "List4"), "CustomerID");
  Page().findChild<QLineEdit*>("Text1")->setText("XYZ");
  dialogs.Type("Joined");
  Page().PushButton2_Click();
  EXPECT_EQ(server.FindTable("db1", "Joined")->columns,
            QStringList({"ID", "Name", "ID_A", "CustomerID", "Total"}));
  EXPECT_EQ(dialogs.Texts().back(), "Done.");
  EXPECT_TRUE(Entries(List(Page(), "List3")).contains("Joined"));
}

TEST_F(JoinPage, ListsAreKeptAcrossASwitchWhileTheJoinUsesTheNewLogin) {
  Page().PushButton5_Click();
  EXPECT_TRUE(wizard->form1().isVisible());
  EXPECT_FALSE(Page().isVisible());
  wizard->form1().findChild<QLineEdit*>("Text4")->setText("db2");
  wizard->form1().PushButton2_Click();
  wizard->form4().PushButton3_Click();
  EXPECT_TRUE(Page().isVisible());
  EXPECT_EQ(Entries(List(Page(), "List1")), QStringList({"Customers", "Physics", "Orders"}));
  Select(List(Page(), "List1"), "Customers");
  EXPECT_TRUE(server.Connections().back().connectionString.contains("Database=db2;"));
}

TEST_F(JoinPage, PointerFollowsTheControlsAndClosingEndsTheProgram) {
  MoveMouseOver(Page().findChild<QWidget*>("PushButton2"));
  EXPECT_EQ(Page().MousePointer(), 99);
  MoveMouseOver(List(Page(), "List1"));
  EXPECT_EQ(Page().MousePointer(), 0);
  Page().SetMousePointer(11);
  MoveMouseOver(Page().findChild<QWidget*>("PushButton5"));
  MoveMouseOver(Page().findChild<QWidget*>("Frame3"));
  EXPECT_EQ(Page().MousePointer(), 11);
  Page().close();
  EXPECT_EQ(Ended(), 1);
}
