// Typed passwords go to the keyring without holding up the window; a keyring that refuses
// leaves them in the file until it takes them.

#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <mutex>

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

// The page shows before the keyring answers (it may be asking the user to unlock it), and the
// password fills when the answer comes. A password reaches the keyring when its typing is over,
// never at a key: the keyring's first answer may be a prompt of its own that takes the keys.
TEST_F(KeyringPasswords, ThePageShowsFirstAndTheKeyringHearsOnlyWhenTheTypingIsOver) {
  FakeKeyring keyring;
  keyring.entries["Password"] = "kept";
  Store("Server", "sql1");
  bool shownBeforeTheAnswer = false;
  keyring.gate.lock();
  QTimer::singleShot(0, [&] {
    const Form1& page = wizard->form1();
    shownBeforeTheAnswer =
        page.isVisible() && page.Profile1().Server == "sql1" && page.Profile1().Password.isEmpty();
    keyring.gate.unlock();
  });
  wizard->Start();
  EXPECT_TRUE(shownBeforeTheAnswer);
  auto* password = wizard->form1().findChild<QLineEdit*>("Text3");
  EXPECT_EQ(password->text(), "kept");

  password->selectAll();
  QTest::keyClicks(password, "sec");
  QFocusEvent left(QEvent::FocusOut, Qt::TabFocusReason);
  QCoreApplication::sendEvent(password, &left);
  wizard.reset();
  EXPECT_EQ(keyring.writes, QStringList({"Password=sec"}));

  // Keys alone never reach the keyring, however long it is waited for.
  PasswordStore store([](const QString&, const QString&) {});
  store.Load();
  for (const char* typed : {"a", "ab"}) store.Save("Password2", typed);
  store.WaitForSaves();
  EXPECT_EQ(keyring.writes, QStringList({"Password=sec"}));
  store.Commit();
  store.WaitForSaves();
  EXPECT_EQ(keyring.writes, QStringList({"Password=sec", "Password2=ab"}));
  EXPECT_EQ(StoredKeys().filter("Password"), QStringList());
}

// A keyring that never answers (one waiting for the user to unlock it) holds a reader that
// cannot wait, the command line, a bounded while, and only once.
TEST(KeyringPatience, AKeyringThatNeverAnswersIsLeftAfterTheWaitAndNotAskedAgain) {
  struct NeverAnswers : keyring::Backend {
    // Held by the test for ever, and never freed: the reader left waiting on it stays so.
    std::mutex* held = new std::mutex;
    keyring::Answer Read(const QString&) override {
      held->lock();
      return {keyring::Outcome::Done, "late", {}};
    }
    keyring::Answer Write(const QString&, const QString&) override { return Read({}); }
  };
  static NeverAnswers* never = new NeverAnswers;
  never->held->lock();
  keyring::SetBackend(never);
  const keyring::Answer first = keyring::ReadWithin("Password", std::chrono::seconds(1));
  const keyring::Answer again = keyring::ReadWithin("Password2", std::chrono::seconds(1));
  FakeKeyring::InstallNone();
  EXPECT_EQ(first.outcome, keyring::Outcome::NoAnswer);
  EXPECT_TRUE(first.late);
  EXPECT_EQ(first.error, "it did not answer within 1 second");
  EXPECT_EQ(again.outcome, keyring::Outcome::NoAnswer);
  EXPECT_FALSE(again.late);
}
