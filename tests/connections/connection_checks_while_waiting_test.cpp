// The connection page while a login waits on a server: the window keeps turning, and the
// buttons start no second check.

#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "connections/connection_page.h"
#include "mode/mode_choice_page.h"
#include "support/wizard_fixture.h"

using ConnectionChecksWhileWaiting = WizardTest;

TEST_F(ConnectionChecksWhileWaiting, TestConnectionAndNextWaitWithTheWindowTurning) {
  StoreLogins("db1", "db2");
  Store("Server2", "");  // the start-up checks nothing
  wizard->Start();
  Form1& page = wizard->form1();
  page.findChild<QLineEdit*>("Text5")->setText("sql2");
  QList<bool> buttonsEnabled;
  bool timerFired = false;
  const auto whileWaiting = [&] {
    for (const char* name : {"PushButton1", "PushButton2", "PushButton5", "PushButton6"}) {
      buttonsEnabled << page.findChild<QPushButton*>(name)->isEnabled();
    }
    QTimer::singleShot(0, [&] {
      timerFired = true;
      server.Release();
    });
  };
  const QString login2 = "Open Driver={SQL Server};Server=sql2";
  server.BlockStatements(login2, whileWaiting);
  page.PushButton1_Click();
  EXPECT_TRUE(timerFired);
  EXPECT_EQ(buttonsEnabled, QList<bool>(4, false));
  EXPECT_EQ(dialogs.Texts(), QStringList({"Connection successful."}));
  EXPECT_TRUE(page.findChild<QPushButton*>("PushButton1")->isEnabled());

  timerFired = false;
  buttonsEnabled.clear();
  server.BlockStatements(login2, whileWaiting);
  page.PushButton2_Click();
  EXPECT_TRUE(timerFired);
  EXPECT_EQ(buttonsEnabled, QList<bool>(4, false));
  EXPECT_TRUE(wizard->form4().isVisible());
}
