// The logins on Windows (run under Wine): the connection page keeps them in the registry under
// the current user and the password in the Credential Manager, never in the registry; and a
// returning user's start moves on to the mode choice page, as on Linux.

#include <qt6keychain/keychain.h>
#include <QEventLoop>
#include <QLineEdit>
#include <QSettings>

#include "connections/connection_page.h"
#include "mode/mode_choice_page.h"
#include "platform/desktop/keyring.h"
#include "platform/desktop/settings.h"
#include "support/fake_keyring.h"
#include "support/wizard_fixture.h"

namespace {

// The registry's own store and the system's keyring, not the test folder and the keyring that
// answers nothing that the tests use elsewhere (Wine's prefix is the tests' own).
class StoredLogins : public WizardTest {
 protected:
  StoredLogins() {
    settings::KeepInFolder({});
    keyring::SetBackend(nullptr);
  }
  ~StoredLogins() override {
    QSettings(QSettings::NativeFormat, QSettings::UserScope, "Korvath").remove("Ombrelia");
    FakeKeyring::InstallNone();
  }
};

QString FromCredentialManager(const QString& key) {
  QKeychain::ReadPasswordJob job(QStringLiteral("Ombrelia"));
  job.setAutoDelete(false);
  job.setKey(key);
  QEventLoop loop;
  QObject::connect(&job, &QKeychain::Job::finished, &loop, &QEventLoop::quit);
  job.start();
  loop.exec();
  return job.error() == QKeychain::NoError ? job.textData() : job.errorString();
}

}  // namespace

TEST_F(StoredLogins, LandInTheRegistryThePasswordInTheCredentialManagerAndARestartMovesOn) {
  server.AddTable("db1", "Customers", {"ID"});
  server.AddTable("db2", "Archive", {"ID"});
  StoreLogins("db1", "db2");
  wizard->Start();
  wizard->form1().findChild<QLineEdit*>("Text3")->setText("typed on Windows");
  wizard.reset();  // the window closes: the password's typing is over

  const QSettings registry(QSettings::NativeFormat, QSettings::UserScope, "Korvath");
  EXPECT_TRUE(registry.fileName().startsWith("\\HKEY_CURRENT_USER\\Software\\Korvath"))
      << registry.fileName().toStdString();
  EXPECT_EQ(registry.value("Ombrelia/Database").toString(), "db1");
  EXPECT_FALSE(registry.contains("Ombrelia/Password"));
  EXPECT_FALSE(registry.contains("Ombrelia/Password2"));
  EXPECT_EQ(FromCredentialManager("Password"), "typed on Windows");

  wizard = std::make_unique<wizard::Wizard>();
  wizard->Start();
  EXPECT_TRUE(wizard->form4().isVisible());
}
