// The connection page over the real driver manager and a real driver (SQLite as "SQL Server").

#include <QLineEdit>

#include "connections/connection_page.h"
#include "connections/validation.h"
#include "mode/mode_choice_page.h"
#include "support/sqlite_odbc.h"
#include "support/wizard_fixture.h"

class ConnectionPageOverOdbc : public WizardTest {
 protected:
  void SetUp() override {
    adodb::SetConnectionProvider({});
    db1 = sqlite.NewDatabase("one.db");
    db2 = sqlite.NewDatabase("two.db");
    StoreLogins(db1, db2);
  }
  QString Missing() const { return sqlite.Folder() + "/no/such/folder/x.db"; }

  SqliteOdbc sqlite;
  QString db1;
  QString db2;
};

TEST_F(ConnectionPageOverOdbc, StoredLoginsThatOpenLeadStraightToTheModeChoice) {
  wizard->Start();
  EXPECT_TRUE(wizard->form4().isVisible());
  EXPECT_FALSE(wizard->form1().isVisible());
  EXPECT_TRUE(dialogs.Boxes().empty());
}

TEST_F(ConnectionPageOverOdbc, ValidationAndTestConnectionSeeTheDriversAnswer) {
  Store("Database2", Missing());
  wizard->Start();
  Form1& page = wizard->form1();
  EXPECT_TRUE(page.isVisible());
  EXPECT_TRUE(dialogs.Boxes().empty());
  EXPECT_TRUE(MSSQL::ValidateDatabase1(page));
  EXPECT_FALSE(MSSQL::ValidateDatabase2(page));

  page.PushButton6_Click();
  page.PushButton1_Click();
  page.PushButton2_Click();
  EXPECT_EQ(dialogs.Texts(),
            QStringList({"Connection successful.",
                         "Could not connect. Please check with your administrator.",
                         "Database #2 does not appear to be valid."}));
  EXPECT_EQ(page.MousePointer(), 0);
}
