#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include "connections/connection_page.h"
#include "connections/profile_settings.h"
#include "mode/mode_choice_page.h"
#include "platform/freetds/encryption_refusal.h"
#include "platform/odbc/adodb.h"
#include "support/mouse.h"
#include "support/wizard_fixture.h"

namespace {

const char kDb1Invalid[] = "Database #1 does not appear to be valid.";
const char kDb2Invalid[] = "Database #2 does not appear to be valid.";

template <class Control = QLineEdit>
Control* Find(QWidget& page, const char* name) {
  auto* control = page.findChild<Control*>(name);
  EXPECT_NE(control, nullptr) << name;
  return control;
}

QStringList Opened(const FakeServer& server) {
  QStringList databases;
  for (const auto& connection : server.Connections()) {
    const QString& string = connection.connectionString;
    const qsizetype at = string.indexOf("Database=") + 9;
    databases << string.mid(at, string.indexOf(';', at) - at);
  }
  return databases;
}

QStringList Sorted(QStringList texts) {
  texts.sort();
  return texts;
}

}  // namespace

using StartUp = WizardTest;

TEST_F(StartUp, FirstRunStoresOnlyTheDefaultPortsAndContactsNoDatabase) {
  wizard->Start();
  Form1& page = wizard->form1();
  EXPECT_TRUE(page.isVisible());
  EXPECT_EQ(page.windowTitle(), "Ombrelia");
  EXPECT_FALSE(page.windowIcon().isNull());
  EXPECT_EQ(Find(page, "Text9")->text(), "1433");
  EXPECT_EQ(Find(page, "Text10")->text(), "1433");
  EXPECT_EQ(Find(page, "Text1")->text(), "");
  EXPECT_FALSE(Find<QCheckBox>(page, "Check4")->isChecked());
  EXPECT_EQ(StoredKeys(), Sorted({"Port=1433", "Port2=1433"}));
  EXPECT_TRUE(server.Connections().empty());
  EXPECT_FALSE(wizard->IsLoaded4());
  EXPECT_TRUE(dialogs.Boxes().empty());
  EXPECT_EQ(page.focusWidget(), Find(page, "Text1"));
}

TEST_F(StartUp, StoredLoginsAreLoadedAndWrittenBackUnchanged) {
  StoreLogins("db1", "db2");
  Store("Port", "");
  Store("Local Connection1", "1");
  Store("Local Connection2", "yes");
  server.RefuseOpen("Database=db1");
  const QStringList before = StoredKeys();
  wizard->Start();
  Form1& page = wizard->form1();
  EXPECT_EQ(page.Profile1().Server, "sql1");
  EXPECT_EQ(page.Profile1().Port, "");
  EXPECT_EQ(page.Profile1().LocalConnection, "1");
  EXPECT_EQ(page.Profile2().Password, "pw2");
  EXPECT_EQ(page.Profile2().LocalConnection, "1");
  QStringList after = before;
  after.replace(after.indexOf("Local Connection2=yes"), "Local Connection2=1");
  after.append("Port2=1433");
  after.sort();
  EXPECT_EQ(StoredKeys(), after);
  // Database #1 refused: no message, database #2 never tried, the connection page shows.
  EXPECT_EQ(Opened(server), QStringList({"db1"}));
  EXPECT_TRUE(page.isVisible());
  EXPECT_TRUE(dialogs.Boxes().empty());
}

TEST_F(StartUp, BothDatabasesOpenSoTheModeChoiceShowsAndEachWasOpenedTwice) {
  StoreLogins("db1", "db2");
  wizard->Start();
  EXPECT_EQ(Opened(server), QStringList({"db1", "db2", "db1", "db2"}));
  EXPECT_EQ(server.Connections()[0].connectionString,
            "Driver={SQL Server};Server=sql1,1433;Database=db1;Uid=ann;Pwd=pw1;");
  EXPECT_TRUE(server.Connections()[0].properties.isEmpty());
  EXPECT_TRUE(wizard->form4().isVisible());
  EXPECT_FALSE(wizard->form1().isVisible());
  // The page showed while the keyring was asked for the passwords.
  EXPECT_EQ(Navigation(), QStringList({"Form1 shown", "Form4 shown", "Form1 hidden"}));
  EXPECT_TRUE(dialogs.Boxes().empty());
  EXPECT_EQ(server.LiveConnections(), 0);
}

TEST_F(StartUp, NoAdvanceWhenAServerFieldIsEmptyOrDatabaseTwoFails) {
  StoreLogins("db1", "db2");
  Store("Server2", "");
  wizard->Start();
  EXPECT_TRUE(server.Connections().empty());
  EXPECT_TRUE(wizard->form1().isVisible());

  wizard.reset();
  Store("Server2", "  ");  // blanks count as filled
  server.RefuseOpen("Database=db2");
  wizard = std::make_unique<wizard::Wizard>();
  wizard->Start();
  EXPECT_EQ(Opened(server), QStringList({"db1", "db2"}));
  EXPECT_TRUE(wizard->form1().isVisible());
  EXPECT_FALSE(wizard->IsLoaded4());
  EXPECT_TRUE(dialogs.Boxes().empty());
}

// The start-up's own check passes, then "Next >" checks again and database #1 has gone.
TEST_F(StartUp, ADatabaseThatFailsAtTheSecondCheckIsNamedAndTheConnectionPageStays) {
  StoreLogins("db1", "db2");
  server.RefuseOpenAfter(1, "Database=db1");
  wizard->Start();
  EXPECT_EQ(Opened(server), QStringList({"db1", "db2", "db1"}))
      << "the second check stops at database #1";
  EXPECT_EQ(dialogs.Texts(), QStringList({kDb1Invalid}));
  EXPECT_TRUE(wizard->form1().isVisible());
  EXPECT_FALSE(wizard->IsLoaded4());
}

using NextButton = WizardTest;

TEST_F(NextButton, NamesTheFirstInvalidDatabaseAndStays) {
  wizard->Start();
  Form1& page = wizard->form1();
  Find(page, "Text4")->setText("db1");
  Find(page, "Text8")->setText("db2");
  server.RefuseOpen("Database=db1");
  page.PushButton2_Click();
  EXPECT_EQ(dialogs.Texts(), QStringList({kDb1Invalid}));
  EXPECT_EQ(dialogs.Boxes()[0].flags, 0);
  EXPECT_EQ(dialogs.Boxes()[0].title, "Ombrelia");
  EXPECT_EQ(Opened(server), QStringList({"db1"}));

  server.ClearFaults();
  server.RefuseOpen("Database=db2");
  dialogs.Clear();
  page.PushButton2_Click();
  EXPECT_EQ(dialogs.Texts(), QStringList({kDb2Invalid}));
  EXPECT_TRUE(page.isVisible());
  EXPECT_FALSE(wizard->IsLoaded4());
}

TEST_F(NextButton, ShowsTheModeChoiceBeforeHidingItself) {
  wizard->Start();
  wizard->form1().PushButton2_Click();
  EXPECT_TRUE(dialogs.Boxes().empty());
  EXPECT_EQ(Navigation(), QStringList({"Form1 shown", "Form4 shown", "Form1 hidden"}));
}

TEST_F(NextButton, WithoutDataAccessReportsTwiceAndMovesOn) {
  wizard->Start();
  adodb::SetConnectionProvider([]() -> std::unique_ptr<adodb::Connection> {
    throw platform::Error("Class not registered");
  });
  wizard->form1().PushButton2_Click();
  ASSERT_EQ(dialogs.Texts().size(), 2);
  EXPECT_TRUE(dialogs.Texts()[0].startsWith(
      "Class not registered\r\nin Kestrava2021/08/31.Form1.PushButton2_Click at line 100"));
  EXPECT_TRUE(wizard->form4().isVisible());
  adodb::SetConnectionProvider({});
}

using ConnectionPage = WizardTest;

TEST_F(ConnectionPage, TestConnectionSaysOneOfTwoThingsAndRestoresThePointer) {
  wizard->Start();
  Form1& page = wizard->form1();
  Find(page, "Text8")->setText("db2");
  page.PushButton1_Click();
  server.RefuseOpen("Database=db2");
  page.PushButton1_Click();
  EXPECT_EQ(dialogs.Texts(),
            QStringList({"Connection successful.",
                         "Could not connect. Please check with your administrator."}));
  EXPECT_EQ(page.MousePointer(), 0);
  EXPECT_EQ(Opened(server), QStringList({"db2", "db2"}));
  EXPECT_TRUE(server.Connections()[0].properties.isEmpty());
}

TEST_F(ConnectionPage, HelpTextAndThePictureOnYesOnly) {
  wizard->Start();
  Form1& page = wizard->form1();
  dialogs.Answer(dialogs::vbNo);
  page.PushButton5_Click();
  EXPECT_TRUE(desktop.started.empty());
  dialogs.Answer(dialogs::vbYes);
  page.PushButton5_Click();
  ASSERT_EQ(desktop.started.size(), 1u);
  EXPECT_EQ(desktop.started[0].target, programFolder.filePath("local-connection-example.jpg"));
  EXPECT_EQ(desktop.started[0].windowStyle, 2);

  const QString help = dialogs.Texts()[0];
  EXPECT_FALSE(help.contains('\n'));
  EXPECT_TRUE(
      help.startsWith("If you cannot establish connection to your MS SQL Server database "
                      "with this program, please go to: \r\r"));
  EXPECT_TRUE(
      help.contains("\r\rDownload and install the EMS SQL Manager 2005 Lite for SQL "
                    "Server. Try to connect to the same database (with the same login "
                    "information you are using here). This will determine if the login "
                    "you are using is correct.\r\rIf you are using Microsoft SQL Server "
                    "Express Edition and connecting locally, you may need to use\r\r"
                    "localhost\\SQLEXPRESS\r\rfor example, for Server."));
  EXPECT_EQ(dialogs.Texts()[1], "Would you like to see an image of how I connect locally?");
  EXPECT_EQ(dialogs.Boxes()[1].flags, 4);
}

TEST_F(ConnectionPage, EveryChangeIsStoredAtOnce) {
  wizard->Start();
  Form1& page = wizard->form1();
  page.Show();
  QTest::keyClicks(Find(page, "Text1"), "abc");
  EXPECT_TRUE(StoredKeys().contains("Server=abc"));
  auto* check = Find<QCheckBox>(page, "Check4");
  check->click();
  EXPECT_TRUE(StoredKeys().contains("Local Connection1=1"));
  check->click();
  EXPECT_EQ(StoredKeys(), Sorted({"Local Connection1=0", "Port=1433", "Port2=1433", "Server=abc"}));
}

TEST_F(ConnectionPage, FocusSelectsTheWholeTextAndThePointerFollowsTheTable) {
  wizard->Start();
  Form1& page = wizard->form1();
  page.Show();
  QLineEdit* password = Find(page, "Text3");
  password->setText("secret");
  EXPECT_EQ(password->echoMode(), QLineEdit::Password);
  QApplication::setActiveWindow(&page);
  Find(page, "Text2")->setFocus();
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), password);
  EXPECT_EQ(password->selectedText(), "secret");

  MoveMouseOver(Find<QWidget>(page, "PushButton5"));
  EXPECT_EQ(page.MousePointer(), 99);
  MoveMouseOver(Find(page, "Text1"));
  EXPECT_EQ(page.MousePointer(), 0);
  MoveMouseOver(Find<QWidget>(page, "Check4"));
  EXPECT_EQ(page.MousePointer(), 99);
  MoveMouseOver(Find<QGroupBox>(page, "Frame2"));
  EXPECT_EQ(page.MousePointer(), 0);
  page.SetMousePointer(11);
  MoveMouseOver(Find<QWidget>(page, "PushButton2"));
  MoveMouseOver(&page);
  EXPECT_EQ(page.MousePointer(), 11);
}

TEST_F(ConnectionPage, TabOrderFollowsTheTwoLogins) {
  wizard->Start();
  Form1& page = wizard->form1();
  QStringList order;
  QWidget* widget = Find(page, "Text1");
  for (int i = 0; i < 18; ++i) {
    order << widget->objectName();
    widget = widget->nextInFocusChain();
    while (widget->focusPolicy() == Qt::NoFocus || !widget->objectName().size()) {
      widget = widget->nextInFocusChain();
    }
  }
  EXPECT_EQ(order, QStringList({"Text1", "Text9", "Text2", "Text3", "Text4", "Check4", "Combo1",
                                "PushButton6", "Text5", "Text10", "Text6", "Text7", "Text8",
                                "Check7", "Combo2", "PushButton1", "PushButton2", "PushButton5"}));
}

TEST_F(ConnectionPage, ALoginTheDriverCannotReadIsNotTriedAndTheMessageNamesTheField) {
  wizard->Start();
  Form1& page = wizard->form1();
  Find(page, "Text1")->setText("sql1");
  Find(page, "Text5")->setText("sql2");
  Find(page, "Text3")->setText("a};Uid=sa");
  page.PushButton6_Click();
  page.PushButton2_Click();
  for (const auto& connection : server.Connections()) EXPECT_FALSE(connection.opened);
  ASSERT_EQ(dialogs.Texts().size(), 2);
  EXPECT_TRUE(dialogs.Texts()[0].startsWith("The Password of this login holds \"};\""));
  EXPECT_TRUE(dialogs.Texts()[1].startsWith(QString(kDb1Invalid) + "\r\n\r\nThe Password "));
  EXPECT_TRUE(page.isVisible());
}

TEST_F(ConnectionPage, EachLoginChoosesItsEncryptionBesideTheLocalConnectionAndItIsStored) {
  wizard->Start();
  Form1& page = wizard->form1();
  auto* list = Find<QComboBox>(page, "Combo1");
  // In its frame, clear of every control the frame had before.
  for (QWidget* control : Find<QGroupBox>(page, "Frame1")->findChildren<QWidget*>()) {
    if (control == list || control->objectName() == "Label11" || !control->isVisibleTo(&page) ||
        control->parentWidget() != list->parentWidget()) {
      continue;
    }
    EXPECT_FALSE(control->geometry().intersects(list->geometry()))
        << control->objectName().toStdString();
  }
  EXPECT_EQ(list->currentText(), "request");
  list->setCurrentIndex(1);
  EXPECT_TRUE(StoredKeys().contains("Encryption=require"));
  dialogs.Type("/certs/ca.pem");
  list->setCurrentIndex(list->count() - 1);
  EXPECT_EQ(list->currentText(), "verify: ca.pem");
  EXPECT_EQ(page.Profile1().Encryption, "verify");
  EXPECT_EQ(page.Profile1().CaFile, "/certs/ca.pem");
  // No file chosen: the choice stays as it was.
  dialogs.Type("");
  list->setCurrentIndex(list->count() - 1);
  EXPECT_EQ(list->currentText(), "verify: ca.pem");
  EXPECT_EQ(dialogs.Boxes().back().kind, ShownBox::Kind::File);
  Find<QComboBox>(page, "Combo2")->setCurrentIndex(2);
  EXPECT_EQ(page.Profile2().Encryption, "verify");
  EXPECT_EQ(page.Profile2().CaFile, "");
  const QStringList stored = StoredKeys();
  for (const char* key :
       {"Encryption=verify", "CA File=/certs/ca.pem", "Encryption2=verify", "CA File2="}) {
    EXPECT_TRUE(stored.contains(key)) << key << " in " << stored.join(", ").toStdString();
  }
}

// A certificate authority of no use but to be read.
const char kAuthority[] =
    "-----BEGIN CERTIFICATE-----\n"
    "MIIBlzCCAT2gAwIBAgIULu2Ukef3AsISjP+aD7pMLk0eqBAwCgYIKoZIzj0EAwIw\n"
    "IDEeMBwGA1UEAwwVT21icmVsaWEgUGFnZSBUZXN0IENBMCAXDTI2MTIwODAwMjAx\n"
    "OFoYDzIxMjYxMTE0MDAyMDE4WjAgMR4wHAYDVQQDDBVPbWJyZWxpYSBQYWdlIFRl\n"
    "c3QgQ0EwWTATBgcqhkjOPQIBBggqhkjOPQMBBwNCAAT7UBMw7ssgP1nBnCIOuibk\n"
    "x7NSOZ1WEEpb3WSrl0YLU5RMIFAvBcUPEU3qKCD77hb5Bq3HcsVqrpDZa3ulQ1bQ\n"
    "o1MwUTAdBgNVHQ4EFgQUj7tXIUM0zIRJsGRm9CN+94sgKAowHwYDVR0jBBgwFoAU\n"
    "j7tXIUM0zIRJsGRm9CN+94sgKAowDwYDVR0TAQH/BAUwAwEB/zAKBggqhkjOPQQD\n"
    "AgNIADBFAiAM0MhrzbaSqsaT9bcSB1clCvoBSWDhXn8709b130TsvAIhAOYDMZQu\n"
    "yMgg4UeVF5sfO8BvT+dblbO+N3UmXZ8i59LB\n"
    "-----END CERTIFICATE-----\n";

TEST_F(StartUp, AStoredVerifyingLoginIsShownAndNamesItsSectionToTheDriver) {
  const QTemporaryDir folder;
  QFile authority(folder.filePath("ca.pem"));
  ASSERT_TRUE(authority.open(QIODevice::WriteOnly) && authority.write(kAuthority) > 0);
  authority.close();
  StoreLogins("db1", "db2");
  profile_settings::Write("Encryption", "verify");
  profile_settings::Write("CA File", authority.fileName());
  wizard->Start();
  EXPECT_EQ(Find<QComboBox>(wizard->form1(), "Combo1")->currentText(), "verify: ca.pem");
  EXPECT_EQ(Find<QComboBox>(wizard->form1(), "Combo2")->currentText(), "request");
  ASSERT_FALSE(server.Connections().empty());
  EXPECT_TRUE(server.Connections()[0].connectionString.contains("Servername=ombrelia-"));
  EXPECT_TRUE(server.Connections()[1].connectionString.contains("Server="));
}

TEST_F(ConnectionPage, ALoginRefusedForItsEncryptionSaysWhyOnTestConnectionAndNext) {
  login_encryption::SetServerAsker([](const QString&, quint16, const QString&) {
    return server_tls::Answer{server_tls::Answer::Kind::NotEncrypting, {}, {}};
  });
  server.FailConnecting("Encryption=require");
  wizard->Start();
  Form1& page = wizard->form1();
  Find(page, "Text1")->setText("sql1");
  Find(page, "Text5")->setText("sql2");
  Find<QComboBox>(page, "Combo1")->setCurrentIndex(1);
  page.PushButton6_Click();
  page.PushButton2_Click();
  login_encryption::SetServerAsker({});
  const QString why =
      "he server does not encrypt its connections, and this login requires "
      "encryption (require). Ask the server's administrator to turn encryption "
      "on, or set this login's encryption to request to connect without it.";
  EXPECT_EQ(dialogs.Texts(),
            QStringList({"Could not connect: t" + why, QString(kDb1Invalid) + "\r\n\r\nT" + why}));
  EXPECT_TRUE(page.isVisible());
}
