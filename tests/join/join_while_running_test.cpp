// The join page while a statement of the join runs on the server: the window keeps turning,
// Stop cancels the statement, and closing the window ends the program.

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "join/join_page.h"
#include "mode/mode_choice_page.h"
#include "shell/error_report.h"
#include "support/lists.h"
#include "support/wizard_fixture.h"

namespace {

const char kJoin[] = "SELECT * INTO [Joined]";

}  // namespace

class JoinWhileRunning : public WizardTest {
 protected:
  void SetUp() override {
    server.AddTable("db1", "Customers", {"ID", "Name"}, {FakeServer::TextRow({"1", "Ann"})});
    server.AddTable("db1", "Orders", {"ID", "CustomerID"}, {FakeServer::TextRow({"7", "1"})});
    StoreLogins("db1", "db2");
    wizard->Start();
    Form4& mode = wizard->form4();
    mode.findChild<QWidget*>("Option2")->setProperty("checked", true);
    mode.PushButton3_Click();
    Select(List("List1"), "Customers");
    Select(List("List2"), "ID");
    Select(List("List3"), "Orders");
    Select(List("List4"), "CustomerID");
  }

  Form2& Page() { return wizard->form2(); }
  QListWidget* List(const char* name) { return Page().findChild<QListWidget*>(name); }
  QPushButton& Button(const char* name) { return *Page().findChild<QPushButton*>(name); }
  QStringList StatementsFrom(qsizetype first) const { return server.Statements().mid(first); }
  bool StagingLeft() const {
    return server.FindTable("db1", "s_t1") || server.FindTable("db1", "s_t2");
  }
};

TEST_F(JoinWhileRunning, TheWindowTurnsWhileTheJoinRunsAndThePageTakesNoInput) {
  bool timerFired = false;
  QString button;
  QList<bool> enabled;
  int pointer = 0;
  server.BlockStatements(kJoin, [&] {
    button = Button("PushButton2").text();
    pointer = Page().MousePointer();
    for (const char* name : {"List1", "List2", "List3", "List4", "Text1", "PushButton5"}) {
      enabled << Page().findChild<QWidget*>(name)->isEnabled();
    }
    enabled << Button("PushButton2").isEnabled();
    QTimer::singleShot(0, [&] {
      timerFired = true;
      server.Release();
    });
  });
  dialogs.Type("Joined");
  Page().PushButton2_Click();
  EXPECT_TRUE(timerFired);
  EXPECT_EQ(button, "Stop Joining");
  EXPECT_EQ(pointer, 11);
  EXPECT_EQ(enabled, QList<bool>({false, false, false, false, false, false, true}));
  ASSERT_TRUE(server.FindTable("db1", "Joined"));
  EXPECT_EQ(dialogs.Texts().back(), "Done.");
  EXPECT_EQ(Button("PushButton2").text(), "Start Joining");
  EXPECT_TRUE(List("List1")->isEnabled());
  EXPECT_EQ(Page().MousePointer(), 0);
}

TEST_F(JoinWhileRunning, StopCancelsTheJoinDropsTheStagingCopiesAndCreatesNothing) {
  const qsizetype before = server.Statements().size();
  server.BlockStatements(kJoin, [&] { QTest::mouseClick(&Button("PushButton2"), Qt::LeftButton); });
  dialogs.Type("Joined");
  Page().PushButton2_Click();
  EXPECT_FALSE(server.FindTable("db1", "Joined"));
  EXPECT_FALSE(StagingLeft());
  const QStringList sent = StatementsFrom(before);
  // The cancelled join is followed by the question whether the server made the table anyway.
  ASSERT_GE(sent.size(), 4);
  EXPECT_TRUE(sent[sent.size() - 4].startsWith(kJoin));
  EXPECT_EQ(sent[sent.size() - 3], "SELECT OBJECT_ID(N'[Joined]', N'U')");
  EXPECT_TRUE(sent[sent.size() - 2].endsWith("drop table [s_t1];"));
  EXPECT_TRUE(sent[sent.size() - 1].endsWith("drop table [s_t2];"));
  EXPECT_EQ(dialogs.Texts(),
            QStringList({"Enter name of new table: ",
                         "Joining stopped. No table was created, and the staging copies s_t1 and "
                         "s_t2 were dropped."}));
  EXPECT_FALSE(Entries(List("List1")).contains("Joined"));
  EXPECT_EQ(Button("PushButton2").text(), "Start Joining");
  EXPECT_TRUE(Button("PushButton2").isEnabled());
  EXPECT_EQ(Page().MousePointer(), 0);

  // A stop while the fields are read ends the run before the name is asked for.
  dialogs.Clear();
  server.BlockStatements("SELECT TOP 0 * FROM [Orders]", [&] { Page().PushButton2_Click(); });
  Page().PushButton2_Click();
  EXPECT_EQ(dialogs.Texts(), QStringList({"Joining stopped. No table was created."}));
  EXPECT_FALSE(StagingLeft());
}

// Each copy has a transaction of its own: the one a stop cut goes back with it, the one made
// before is committed and then dropped.
TEST_F(JoinWhileRunning, AStopDuringACopyTakesItBackWithItsTransaction) {
  server.BlockStatements("INTO s_t2",
                         [&] { QTest::mouseClick(&Button("PushButton2"), Qt::LeftButton); });
  dialogs.Type("Joined");
  Page().PushButton2_Click();
  EXPECT_EQ(server.Transactions(),
            QStringList({"BeginTrans", "CommitTrans", "BeginTrans", "RollbackTrans"}));
  EXPECT_FALSE(StagingLeft());
  EXPECT_FALSE(server.FindTable("db1", "Joined"));
  EXPECT_EQ(dialogs.Texts().back(),
            "Joining stopped. No table was created, and the staging copies s_t1 and s_t2 were "
            "dropped.");
}

TEST_F(JoinWhileRunning, ClosingTheWindowEndsTheProgramAndSendsNothingMore) {
  qsizetype sent = 0;
  server.BlockStatements("INTO s_t1", [&] {
    Page().close();
    sent = server.Statements().size();
    server.Release();
  });
  dialogs.Type("Joined");
  Page().PushButton2_Click();
  EXPECT_EQ(Ended(), 1);
  EXPECT_EQ(server.Statements().size(), sent);
  EXPECT_EQ(dialogs.Texts(), QStringList({"Enter name of new table: "}));
}

TEST_F(JoinWhileRunning, TheRunsBoxesComeInOrderAndTheirAnswersReachTheRun) {
  server.AddTable("db1", "Joined", {"Old"});
  List("List1")->addItem("Joined");
  bool readingFields = false;
  server.BlockStatements("SELECT TOP 0 * FROM [Orders]", [&] {
    readingFields = dialogs.Boxes().empty();
    server.Release();
  });
  dialogs.Type("Joined");
  dialogs.Answer(dialogs::vbYes);
  Page().PushButton2_Click();
  EXPECT_TRUE(readingFields);
  EXPECT_EQ(dialogs.Texts(), QStringList({"Enter name of new table: ",
                                          "Such table exist already.\r\n\r\n"
                                          "Do you want to overwrite it?",
                                          "Done."}));
  ASSERT_TRUE(server.FindTable("db1", "Joined"));
  EXPECT_EQ(server.FindTable("db1", "Joined")->columns,
            QStringList({"ID", "Name", "ID_A", "CustomerID"}));
}

TEST_F(JoinWhileRunning, StopDuringAnOverwriteGivesTheOldTableBack) {
  server.AddTable("db1", "Joined", {"Old"}, {FakeServer::TextRow({"42"})});
  List("List1")->addItem("Joined");
  server.BlockStatements(kJoin, [&] { Page().PushButton2_Click(); });
  dialogs.Type("Joined");
  dialogs.Answer(dialogs::vbYes);
  Page().PushButton2_Click();
  ASSERT_TRUE(server.FindTable("db1", "Joined"));
  EXPECT_EQ(server.FindTable("db1", "Joined")->columns, QStringList({"Old"}));
  EXPECT_EQ(server.Transactions(), QStringList({"BeginTrans", "RollbackTrans"}));
  EXPECT_FALSE(StagingLeft());
  EXPECT_EQ(dialogs.Texts().back(),
            "Joining stopped. No table was created, and the staging copies s_t1 and s_t2 were "
            "dropped.");
}
