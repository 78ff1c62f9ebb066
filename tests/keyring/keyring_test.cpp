// The passwords in a real keyring through QtKeychain: SecretService.* run against a Secret
// Service of their own (with_secret_service.sh), NoSecretService.* without a session bus.

#include <QLineEdit>

#include "cli/cli_run.h"
#include "connections/connection_page.h"
#include "mode/mode_choice_page.h"
#include "support/fake_keyring.h"
#include "support/wizard_fixture.h"

namespace {

class RealKeyring : public WizardTest {
 protected:
  RealKeyring() { keyring::SetBackend(nullptr); }
  ~RealKeyring() override {
    wizard.reset();
    FakeKeyring::InstallNone();
  }

  static QStringList StoredPasswords() { return StoredKeys().filter("Password"); }
  void Type(const char* name, const QString& text) {
    wizard->form1().findChild<QLineEdit*>(name)->setText(text);
  }
};

}  // namespace

using SecretService = RealKeyring;

TEST_F(SecretService, PasswordsMoveIntoTheKeyringAndEveryStartAdvancesWithThem) {
  StoreLogins("db1", "db2");
  wizard->Start();
  EXPECT_TRUE(wizard->form4().isVisible());
  wizard.reset();
  EXPECT_EQ(StoredPasswords(), QStringList());
  EXPECT_EQ(keyring::Read("Password2").text, "pw2");
  EXPECT_EQ(keyring::Read("Nothing").outcome, keyring::Outcome::NotFound);

  wizard = std::make_unique<wizard::Wizard>();
  wizard->Start();
  EXPECT_TRUE(wizard->form4().isVisible());
  EXPECT_TRUE(server.Connections().back().connectionString.contains(";Pwd=pw2;"));
  Type("Text3", "");
  wizard.reset();
  const keyring::Answer emptied = keyring::Read("Password");
  EXPECT_EQ(emptied.outcome, keyring::Outcome::Done);
  EXPECT_EQ(emptied.text, "");
  EXPECT_EQ(StoredPasswords(), QStringList());
}

TEST_F(SecretService, TheCommandLineReadsTheKeyringsPasswordAndSaysWhereItIs) {
  StoreLogins("db1", "db2");
  wizard->Start();
  wizard.reset();
  const qsizetype before = server.Connections().size();
  EXPECT_EQ(RunCli({"test", "2"}).exitCode, 0);
  EXPECT_TRUE(server.Connections().at(before).connectionString.contains(";Pwd=pw2;"));
  EXPECT_EQ(RunCli({"--version"}).err,
            "Passwords: the desktop's keyring (service \"Ombrelia\").\n");
}

using NoSecretService = RealKeyring;

TEST_F(NoSecretService, PasswordsStayInTheFileAsTheyWere) {
  StoreLogins("db1", "db2");
  wizard->Start();
  EXPECT_TRUE(wizard->form4().isVisible());
  Type("Text3", "typed");
  EXPECT_EQ(StoredPasswords(), QStringList({"Password2=pw2", "Password=typed"}));
  EXPECT_TRUE(dialogs.Boxes().empty());
  EXPECT_TRUE(RunCli({"--version"}).err.startsWith("Passwords: the settings file "));
}
