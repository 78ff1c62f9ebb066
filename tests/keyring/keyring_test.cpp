// The passwords in a real keyring through QtKeychain: SecretService.* run against a Secret
// Service of their own (with_secret_service.sh), NoSecretService.* without a session bus.

#include <QLineEdit>

#include "cli/cli_run.h"
#include "connections/connection_page.h"
#include "mode/mode_choice_page.h"
#include "support/fake_keyring.h"
#include "support/wizard_fixture.h"

class RealKeyring : public WizardTest {
 protected:
  RealKeyring() { keyring::SetBackend(nullptr); }
  ~RealKeyring() override {
    wizard.reset();
    FakeKeyring::InstallNone();
  }
};

using SecretService = RealKeyring;

TEST_F(SecretService, PasswordsMoveInOnceAndServeTheStartAndTheCommandLine) {
  StoreLogins("db1", "db2");
  wizard->Start();
  wizard.reset();
  EXPECT_EQ(StoredKeys().filter("Password"), QStringList());
  EXPECT_EQ(keyring::Read("Password").text, "pw1");

  wizard = std::make_unique<wizard::Wizard>();
  wizard->Start();
  EXPECT_TRUE(wizard->form4().isVisible());
  wizard->form1().findChild<QLineEdit*>("Text3")->setText("");
  wizard.reset();
  const keyring::Answer emptied = keyring::Read("Password");
  EXPECT_TRUE(emptied.outcome == keyring::Outcome::Done && emptied.text.isEmpty());
  EXPECT_EQ(RunCli({"test", "2"}).exitCode, 0);
  EXPECT_TRUE(server.Connections().back().connectionString.contains(";Pwd=pw2;"));
  EXPECT_EQ(RunCli({"--version"}).err,
            "Passwords: the desktop's keyring (service \"Ombrelia\").\n");
}

using NoSecretService = RealKeyring;

TEST_F(NoSecretService, PasswordsStayInTheFileAsTheyWere) {
  StoreLogins("db1", "db2");
  wizard->Start();
  EXPECT_TRUE(wizard->form4().isVisible());
  wizard->form1().findChild<QLineEdit*>("Text3")->setText("typed");
  EXPECT_EQ(StoredKeys().filter("Password"), QStringList({"Password2=pw2", "Password=typed"}));
  EXPECT_TRUE(RunCli({"--version"}).err.startsWith("Passwords: the settings file "));
}
