#include "support/wizard_fixture.h"

#include <QApplication>
#include <QSettings>
#include <QWidget>

#include "connections/profile_settings.h"
#include "platform/desktop/app.h"
#include "platform/desktop/random.h"

WizardTest::WizardTest() : navigation_(std::make_unique<NavigationLog>()) {
  app::SetPathForTesting(programFolder.path());
  app::SetEndHandlerForTesting([this] { ++ended_; });
  platform::SetRandomSource([] { return 0.5; });
  qApp->installEventFilter(navigation_.get());
  wizard = std::make_unique<wizard::Wizard>();
}

WizardTest::~WizardTest() {
  qApp->removeEventFilter(navigation_.get());
  wizard.reset();
  platform::SetRandomSource({});
  app::SetEndHandlerForTesting({});
  app::SetPathForTesting({});
}

void WizardTest::Store(const QString& key, const QString& value) {
  profile_settings::Write(key, value);
}

QStringList WizardTest::StoredKeys() {
  QSettings store(QSettings::IniFormat, QSettings::UserScope, "Korvath");
  store.beginGroup("Ombrelia");
  QStringList entries;
  for (const QString& key : store.childKeys()) entries << key + "=" + store.value(key).toString();
  entries.sort();
  return entries;
}

void WizardTest::StoreLogins(const QString& db1, const QString& db2) {
  Store("Server", "sql1");
  Store("User", "ann");
  Store("Password", "pw1");
  Store("Database", db1);
  Store("Server2", "sql2");
  Store("User2", "bob");
  Store("Password2", "pw2");
  Store("Database2", db2);
}

bool WizardTest::NavigationLog::eventFilter(QObject* watched, QEvent* event) {
  auto* widget = qobject_cast<QWidget*>(watched);
  if (widget && widget->isWindow() && watched->objectName().startsWith("Form")) {
    if (event->type() == QEvent::Show) entries << watched->objectName() + " shown";
    if (event->type() == QEvent::Hide) entries << watched->objectName() + " hidden";
  }
  return false;
}
