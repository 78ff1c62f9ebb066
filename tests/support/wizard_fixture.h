#pragma once

// The whole program without a screen, a database or a user: fresh settings, scripted boxes,
// a recorded desktop, the in-memory server, a program folder of its own, an ending that is
// recorded, and a log of every page shown or hidden.

#include <gtest/gtest.h>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

#include "support/fake_server.h"
#include "support/recorded_desktop.h"
#include "support/scripted_dialogs.h"
#include "support/temp_settings.h"
#include "wizard/wizard.h"

class WizardTest : public ::testing::Test {
 protected:
  WizardTest();
  ~WizardTest() override;

  // Stores one key of the two logins, as an earlier run would have left it.
  static void Store(const QString& key, const QString& value);
  // Every key of the two logins in the store, with its value ("Port=1433").
  static QStringList StoredKeys();
  // Stores both logins so that profile 1 opens `db1` and profile 2 opens `db2`.
  static void StoreLogins(const QString& db1, const QString& db2);

  // "Form4 shown", "Form1 hidden", ... in the order it happened.
  QStringList Navigation() const { return navigation_->entries; }
  int Ended() const { return ended_; }

  TempSettings settings;
  ScriptedDialogs dialogs;
  RecordedDesktop desktop;
  FakeServer server;
  QTemporaryDir programFolder;
  std::unique_ptr<wizard::Wizard> wizard;

 private:
  struct NavigationLog : QObject {
    QStringList entries;
    bool eventFilter(QObject* watched, QEvent* event) override;
  };
  std::unique_ptr<NavigationLog> navigation_;
  int ended_ = 0;
};

// A returning user whose two stored logins open their databases, each with one table: the
// start-up has moved on to the mode choice page.
class ReturningUserTest : public WizardTest {
 protected:
  void SetUp() override {
    server.AddTable("db1", "Customers", {"ID"});
    server.AddTable("db2", "Archive", {"ID"});
    StoreLogins("db1", "db2");
    wizard->Start();
  }
};
