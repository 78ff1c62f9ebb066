// The logins on Windows (run under Wine): the connection page keeps them in the registry under
// HKEY_CURRENT_USER\Software\Korvath\Ombrelia and the password in the Credential Manager, never
// in the registry; a returning user's start moves on to the mode choice page, as on Linux; and
// logins an earlier version kept under ...\Korvath\OrganizationDefaults\Ombrelia are found
// and moved there at the first start.

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
    QSettings korvath(kKey, QSettings::NativeFormat);
    korvath.remove("Ombrelia");
    korvath.remove("OrganizationDefaults");
    FakeKeyring::InstallNone();
  }

  static constexpr char kKey[] = "HKEY_CURRENT_USER\\Software\\Korvath";
};

// Where versions before this one kept the logins: the settings library's key for a store named
// by its organisation alone.
QSettings EarlierKey() {
  return QSettings(QSettings::NativeFormat, QSettings::UserScope, "Korvath");
}

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

  const QSettings registry("HKEY_CURRENT_USER\\Software\\Korvath\\Ombrelia",
                           QSettings::NativeFormat);
  EXPECT_EQ(registry.value("Database").toString(), "db1");
  EXPECT_FALSE(registry.contains("Password"));
  EXPECT_FALSE(registry.contains("Password2"));
  EXPECT_TRUE(EarlierKey().allKeys().isEmpty());
  EXPECT_EQ(FromCredentialManager("Password"), "typed on Windows");

  wizard = std::make_unique<wizard::Wizard>();
  wizard->Start();
  EXPECT_TRUE(wizard->form4().isVisible());
}

TEST_F(StoredLogins, AnEarlierVersionsLoginsAreFoundAndMovedAtTheFirstStart) {
  server.AddTable("db1", "Customers", {"ID"});
  server.AddTable("db2", "Archive", {"ID"});
  const std::pair<const char*, const char*> earlierLogins[] = {
      {"Server", "sql1"},  {"User", "ann"},  {"Password", "pw1"},  {"Database", "db1"},
      {"Server2", "sql2"}, {"User2", "bob"}, {"Password2", "pw2"}, {"Database2", "db2"}};
  {
    QSettings earlier = EarlierKey();
    earlier.beginGroup("Ombrelia");
    for (const auto& [key, value] : earlierLogins) earlier.setValue(key, value);
  }
  wizard->Start();
  EXPECT_TRUE(wizard->form4().isVisible());
  wizard.reset();

  const QSettings registry("HKEY_CURRENT_USER\\Software\\Korvath\\Ombrelia",
                           QSettings::NativeFormat);
  EXPECT_EQ(registry.value("Server").toString(), "sql1");
  EXPECT_EQ(registry.value("Database2").toString(), "db2");
  EXPECT_FALSE(registry.contains("Password"));
  EXPECT_EQ(FromCredentialManager("Password"), "pw1");
  EXPECT_EQ(FromCredentialManager("Password2"), "pw2");
  // Looked at first: opening the earlier key through the settings library makes it anew.
  EXPECT_FALSE(
      QSettings(kKey, QSettings::NativeFormat).childGroups().contains("OrganizationDefaults"));
  EXPECT_TRUE(EarlierKey().allKeys().isEmpty());
}
