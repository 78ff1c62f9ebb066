// Typed passwords go to the keyring without holding up the window; a keyring that refuses
// leaves them in the file until it takes them.

#include <QLineEdit>

#include "connections/connection_page.h"
#include "mode/mode_choice_page.h"
#include "support/fake_keyring.h"
#include "support/wizard_fixture.h"

using KeyringPasswords = WizardTest;

TEST_F(KeyringPasswords, TypingNeverWaitsForTheKeyringAndTheLastValueIsKept) {
  FakeKeyring keyring;
  wizard->Start();
  keyring.gate.lock();
  for (const char* typed : {"s", "se", "sec"})
    wizard->form1().findChild<QLineEdit*>("Text3")->setText(typed);
  keyring.gate.unlock();
  wizard.reset();
  EXPECT_LE(keyring.writes.size(), 2);
  EXPECT_EQ(keyring.writes.constLast(), "Password=sec");
  EXPECT_EQ(StoredKeys().filter("Password"), QStringList());
}

TEST_F(KeyringPasswords, ARefusingKeyringLeavesThePasswordsInTheFileUntilItTakesThem) {
  StoreLogins("db1", "db2");
  FakeKeyring keyring;
  keyring.refusesWrites = true;
  wizard->Start();
  EXPECT_TRUE(wizard->form4().isVisible());
  wizard->form1().findChild<QLineEdit*>("Text3")->setText("new");
  EXPECT_EQ(StoredKeys().filter("Password"), QStringList({"Password2=pw2", "Password=new"}));
  EXPECT_TRUE(dialogs.Boxes().empty());

  keyring.refusesWrites = false;
  wizard = std::make_unique<wizard::Wizard>();
  wizard->Start();
  wizard.reset();
  EXPECT_EQ(keyring.entries.at("Password"), "new");
  EXPECT_EQ(keyring.entries.at("Password2"), "pw2");
  EXPECT_EQ(StoredKeys().filter("Password"), QStringList());
}
