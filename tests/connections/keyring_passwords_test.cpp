// The logins' passwords in the desktop's keyring: moved there from the file at the start,
// typed ones saved there without holding up the window, the file where the keyring refuses.

#include <QLineEdit>

#include "connections/connection_page.h"
#include "mode/mode_choice_page.h"
#include "support/fake_keyring.h"
#include "support/wizard_fixture.h"

class KeyringPasswords : public WizardTest {
 protected:
  static QStringList StoredPasswords() { return StoredKeys().filter("Password"); }
  static QLineEdit& Text3(wizard::Wizard& wizard) {
    return *wizard.form1().findChild<QLineEdit*>("Text3");
  }
};

TEST_F(KeyringPasswords, TheFilesPasswordsMoveOnceAndTheStartStillAdvances) {
  StoreLogins("db1", "db2");
  FakeKeyring keyring;
  wizard->Start();
  EXPECT_EQ(Navigation(), QStringList({"Form4 shown"}));
  EXPECT_TRUE(server.Connections()[0].connectionString.contains(";Pwd=pw1;"));
  wizard.reset();
  EXPECT_EQ(keyring.Entries(),
            (std::map<QString, QString>{{"Password", "pw1"}, {"Password2", "pw2"}}));
  EXPECT_EQ(StoredPasswords(), QStringList());
  EXPECT_TRUE(StoredKeys().contains("Server2=sql2"));

  wizard = std::make_unique<wizard::Wizard>();
  wizard->Start();
  EXPECT_TRUE(wizard->form4().isVisible()) << "the keyring's passwords open both databases";
  EXPECT_TRUE(server.Connections().back().connectionString.contains(";Pwd=pw2;"));
}

TEST_F(KeyringPasswords, TypingNeverWaitsForTheKeyringAndItsLastValueIsKept) {
  FakeKeyring keyring;
  wizard->Start();
  keyring.HoldWrites();
  for (const char* typed : {"s", "se", "sec"}) Text3(*wizard).setText(typed);
  EXPECT_TRUE(keyring.Writes().isEmpty());
  keyring.ReleaseWrites();
  wizard.reset();
  EXPECT_LE(keyring.Writes().size(), 2);
  EXPECT_EQ(keyring.Writes().constLast(), "Password=sec");
  EXPECT_EQ(StoredPasswords(), QStringList());
}

TEST_F(KeyringPasswords, AKeyringThatRefusesLeavesEveryPasswordInTheFile) {
  StoreLogins("db1", "db2");
  FakeKeyring keyring;
  keyring.refusesWrites = true;
  wizard->Start();
  EXPECT_TRUE(wizard->form4().isVisible());
  Text3(*wizard).setText("new");
  EXPECT_EQ(StoredPasswords(), QStringList({"Password2=pw2", "Password=new"}));
  EXPECT_TRUE(keyring.Entries().empty());
  EXPECT_TRUE(dialogs.Boxes().empty());
}

// A keyring that refuses a save made while it answered: the file takes it, and at the next
// start the keyring gets it back from there.
TEST_F(KeyringPasswords, ASaveTheKeyringRefusesGoesToTheFileAndMovesBackLater) {
  FakeKeyring keyring;
  wizard->Start();
  keyring.refusesWrites = true;
  Text3(*wizard).setText("x");
  wizard.reset();
  EXPECT_EQ(StoredPasswords(), QStringList({"Password=x"}));
  keyring.refusesWrites = false;
  wizard = std::make_unique<wizard::Wizard>();
  wizard->Start();
  wizard.reset();
  EXPECT_EQ(keyring.Entries().at("Password"), "x");
  EXPECT_EQ(StoredPasswords(), QStringList());
}
