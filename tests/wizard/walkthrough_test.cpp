#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>

#include "append/page/append_page.h"
#include "connections/connection_page.h"
#include "join/join_page.h"
#include "mode/mode_choice_page.h"
#include "support/lists.h"
#include "support/sqlite_odbc.h"
#include "support/wizard_fixture.h"

namespace {

void Choose(Form4& mode, const char* option) {
  mode.findChild<QRadioButton*>(option)->setChecked(true);
  mode.PushButton3_Click();
}

}  // namespace

class Walkthrough : public WizardTest {
 protected:
  void SetUp() override {
    server.AddTable("db1", "Customers", {"ID", "Name"},
                    {FakeServer::TextRow({"1", "Ann"}), FakeServer::TextRow({"2", "Bob"})});
    server.AddTable("db1", "Orders", {"ID", "CustomerID", "Total"},
                    {FakeServer::TextRow({"10", "1", "5"})});
    server.AddTable("db2", "Customers", {"ID", "Name"});
    server.AddTable("db3", "Customers", {"ID", "Name"}, {FakeServer::TextRow({"7", "Cy"})});
    server.AddTable("db3", "Orders", {"ID", "CustomerID", "Total"});
    StoreLogins("db1", "db2");
  }

  void JoinCustomersAndOrders(Form2& join, const QString& newName) {
    Select(join, "List1", "Customers");
    Select(join, "List2", "ID");
    Select(join, "List3", "Orders");
    Select(join, "List4", "CustomerID");
    dialogs.Type(newName);
    join.PushButton2_Click();
  }
};

TEST_F(Walkthrough, AReturningUserJoinsSwitchesLoginAndJoinsAgainWithTheNewLogin) {
  wizard->Start();
  Form4& mode = wizard->form4();
  ASSERT_TRUE(mode.isVisible());
  ASSERT_FALSE(wizard->form1().isVisible());

  Choose(mode, "Option2");
  Form2& join = wizard->form2();
  JoinCustomersAndOrders(join, "Joined");
  EXPECT_EQ(dialogs.Texts().back(), "Done.");
  ASSERT_NE(server.FindTable("db1", "Joined"), nullptr);
  EXPECT_EQ(server.FindTable("db1", "Joined")->rows.size(), 2u);

  join.PushButton5_Click();
  Form1& connection = wizard->form1();
  connection.findChild<QLineEdit*>("Text4")->setText("db3");
  connection.PushButton2_Click();
  EXPECT_TRUE(mode.findChild<QRadioButton*>("Option2")->isChecked());
  mode.PushButton3_Click();
  // The lists are those of the first showing; the join reads the login as it stands now.
  EXPECT_EQ(Entries(join, "List1"), QStringList({"Customers", "Orders", "Joined"}));
  EXPECT_EQ(join.findChild<QListWidget*>("List1")->selectedItems().first()->text(), "Customers");
  JoinCustomersAndOrders(join, "Joined3");
  EXPECT_NE(server.FindTable("db3", "Joined3"), nullptr);
  EXPECT_EQ(server.FindTable("db1", "Joined3"), nullptr);

  // One page on screen at every step.
  const QStringList steps = Navigation();
  EXPECT_EQ(steps, QStringList({"Form1 shown", "Form4 shown", "Form1 hidden", "Form2 shown",
                                "Form4 hidden", "Form1 shown", "Form2 hidden", "Form4 shown",
                                "Form1 hidden", "Form2 shown", "Form4 hidden"}));
}

TEST_F(Walkthrough, ClosingAPageEndsTheProgramAndNothingMoreReachesTheServer) {
  wizard->Start();
  Choose(wizard->form4(), "Option2");
  Form2& join = wizard->form2();
  Select(join, "List1", "Customers");
  Select(join, "List2", "ID");
  Select(join, "List3", "Orders");
  Select(join, "List4", "CustomerID");
  const qsizetype statements = server.Statements().size();
  join.close();
  EXPECT_EQ(Ended(), 1);
  join.PushButton2_Click();
  EXPECT_EQ(server.Statements().size(), statements);
  EXPECT_TRUE(dialogs.Boxes().empty());
}

class WalkthroughOverOdbc : public WizardTest {
 protected:
  void SetUp() override {
    adodb::SetConnectionProvider({});
    db1 = sqlite.NewDatabase("one.db");
    db2 = sqlite.NewDatabase("two.db");
    sqlite.Exec(db1, "CREATE TABLE Orders (id INTEGER, note TEXT)");
    sqlite.Exec(db1, "INSERT INTO Orders VALUES (1, 'kept')");
    sqlite.Exec(db2, "CREATE TABLE Orders2019 (id INTEGER, note TEXT)");
    sqlite.Exec(db2, "INSERT INTO Orders2019 VALUES (7, 'it''s old'), (8, NULL)");
    StoreLogins(db1, db2);
  }

  QStringList Notes(const QString& database, const QString& table) const {
    std::unique_ptr<adodb::Connection> connection = adodb::CreateConnection();
    connection->Open(SqliteOdbc::ConnectionString(database));
    std::unique_ptr<adodb::Recordset> rows =
        connection->Execute("SELECT id, note FROM " + table + " ORDER BY id");
    QStringList notes;
    for (; !rows->Eof(); rows->MoveNext()) {
      const adodb::Value note = rows->FieldValue(1);
      notes << rows->FieldValue(0).text + ":" + (note.IsNull() ? "NULL" : note.text);
    }
    return notes;
  }

  SqliteOdbc sqlite;
  QString db1;
  QString db2;
};

TEST_F(WalkthroughOverOdbc, AppendsLastYearsOrdersToDatabaseOne) {
  wizard->Start();
  ASSERT_TRUE(wizard->form4().isVisible());
  Choose(wizard->form4(), "Option1");
  Form3& append = wizard->form3();
  EXPECT_EQ(Entries(append, "List1"), QStringList({"Orders"}));
  EXPECT_EQ(Entries(append, "List2"), QStringList({"Orders2019"}));
  Select(append, "List1", "Orders");
  Select(append, "List2", "Orders2019");
  append.PushButton2_Click();
  EXPECT_EQ(dialogs.Texts(), QStringList({"Done."}));
  EXPECT_EQ(Notes(db1, "Orders"), QStringList({"1:kept", "7:it's old", "8:NULL"}));
  EXPECT_EQ(Notes(db2, "Orders2019"), QStringList({"7:it's old", "8:NULL"}));
}
