// The append page while a run waits on the server: the window keeps turning, the run can be
// stopped after the row being written, and closing the window ends the program.

#include <QTest>
#include <QTimer>

#include "append/page/append_progress.h"
#include "append_fixture.h"
#include "platform/desktop/clock.h"
#include "recorded_connections.h"
#include "shell/page.h"

namespace {

std::vector<FakeServer::Row> NumberedRows(int count) {
  std::vector<FakeServer::Row> rows;
  for (int i = 1; i <= count; ++i) rows.push_back({adodb::Value::Text(QString::number(i))});
  return rows;
}

}  // namespace

class AppendWhileRunning : public AppendRun {
 protected:
  AppendWhileRunning() {
    server.AddTable("db1", "T", {"a"});
    server.AddTable("db2", "Source", {"a"}, NumberedRows(5));
    OpenPage();
  }
};

TEST_F(AppendWhileRunning, TheWindowTurnsWhileAnInsertWaitsAndTheButtonReadsStop) {
  bool timerFired = false;
  QString button;
  int pointer = 0;
  bool listEnabled = true;
  server.BlockStatements("VALUES('2')", [&] {
    button = Button("PushButton2").text();
    pointer = Page().MousePointer();
    listEnabled = List("List1").isEnabled();
    QTimer::singleShot(0, [&] {
      timerFired = true;
      server.Release();
    });
  });
  Append("T", "Source");
  EXPECT_TRUE(timerFired);
  EXPECT_EQ(button, "Stop Appending");
  EXPECT_EQ(pointer, 11);
  EXPECT_FALSE(listEnabled);
  EXPECT_EQ(server.FindTable("db1", "T")->rows, NumberedRows(5));
  EXPECT_EQ(dialogs.Texts(), QStringList({"Done."}));
  EXPECT_EQ(Button("PushButton2").text(), "Start Appending");
  EXPECT_TRUE(Button("PushButton2").isEnabled());
  EXPECT_TRUE(List("List1").isEnabled());
  ExpectAtRest();
}

TEST_F(AppendWhileRunning, StopEndsTheRunAfterTheRowBeingWritten) {
  server.BlockStatements("VALUES('2')", [&] {
    QTest::mouseClick(&Button("PushButton2"), Qt::LeftButton);
    EXPECT_FALSE(Button("PushButton2").isEnabled());
    server.Release();
  });
  Append("T", "Source");
  EXPECT_EQ(InsertsOf(RunStatements()),
            QStringList({"INSERT INTO [T] VALUES('1')", "INSERT INTO [T] VALUES('2')"}));
  EXPECT_EQ(server.FindTable("db1", "T")->rows, NumberedRows(2));
  EXPECT_EQ(dialogs.Texts(), QStringList({"Stopped. 2 rows appended."}));
  EXPECT_EQ(Button("PushButton2").text(), "Start Appending");
  EXPECT_TRUE(Button("PushButton2").isEnabled());
  ExpectAtRest();

  // A refused row is counted in a stopped run's message as in a finished one's; the row being
  // written when Stop is pressed is the last.
  dialogs.Clear();
  server.RefuseStatements("VALUES('1')", "Violation of PRIMARY KEY constraint.");
  server.BlockStatements("VALUES('3')", [&] {
    Page().PushButton2_Click();
    server.Release();
  });
  Press();
  ASSERT_EQ(dialogs.Texts().size(), 2);
  EXPECT_EQ(dialogs.Texts()[0], ErrorReport("Violation of PRIMARY KEY constraint.", 148));
  EXPECT_TRUE(dialogs.Texts()[1].startsWith(
      "Stopped.\r\n\r\n2 rows appended, 1 refused by the server:\r\n"
      "Violation of PRIMARY KEY constraint.\r\nThe refused rows are in "));
}

TEST_F(AppendWhileRunning, StopBeforeTheWritingAppendsNothing) {
  QString text;
  server.BlockStatements("SELECT * FROM [Source]", [&] {
    text = Bar().Text();
    Page().PushButton2_Click();
    server.Release();
  });
  Append("T", "Source");
  EXPECT_EQ(text, "Progress Bar");
  EXPECT_TRUE(InsertsOf(RunStatements()).isEmpty());
  EXPECT_EQ(dialogs.Texts(), QStringList({"Stopped. 0 rows appended."}));
  ExpectAtRest();
}

// The row on the server when the window closes is the last; not even the run's finish follows.
TEST_F(AppendWhileRunning, ClosingTheWindowEndsTheProgramWhileARowIsOnTheServer) {
  int endedWhileWaiting = 0;
  server.BlockStatements("VALUES('2')", [&] {
    Page().close();
    endedWhileWaiting = Ended();
    server.Release();
  });
  Append("T", "Source");
  EXPECT_EQ(endedWhileWaiting, 1);
  EXPECT_EQ(InsertsOf(RunStatements()).size(), 2);
  EXPECT_TRUE(dialogs.Boxes().empty());
  EXPECT_EQ(Page().MousePointer(), 11);
}

TEST_F(AppendWhileRunning, ABoxOfTheRunWaitsForItsAnswerBeforeTheNextRowGoes) {
  server.RefuseStatements("VALUES('2')", "Conversion failed.");
  RecordedConnections recorded(2);
  QList<int> boxesBeforeInsert;
  recorded.BeforeStatement([&](int, const QString& statement) {
    if (statement.startsWith("INSERT")) boxesBeforeInsert << int(dialogs.Boxes().size());
  });
  Append("T", "Source");
  EXPECT_EQ(boxesBeforeInsert, QList<int>({0, 0, 1, 1, 1}));
  ASSERT_EQ(dialogs.Texts().size(), 2);
  EXPECT_EQ(dialogs.Texts()[0], ErrorReport("Conversion failed.", 148));
  EXPECT_TRUE(dialogs.Texts()[1].startsWith(
      "Done.\r\n\r\n4 rows appended, 1 refused by the server:\r\nConversion failed.\r\n"));
}

TEST_F(AppendWhileRunning, TheBarTellsTheRowsWrittenOfTheTotal) {
  qint64 now = 0;
  platform::SetClockForTesting([&] { return now; });
  RecordedConnections recorded(2);
  QStringList texts;
  recorded.BeforeStatement([&](int, const QString& statement) {
    if (!statement.startsWith("INSERT")) return;
    texts << Bar().Text();
    now += 500;
  });
  Append("T", "Source");
  platform::SetClockForTesting({});
  EXPECT_EQ(texts, QStringList({"1 of 5 rows", "2 of 5 rows", "3 of 5 rows, about 1 s left",
                                "4 of 5 rows, about 1 s left", "5 of 5 rows"}));
  ExpectAtRest();
}

TEST(AppendProgressText, ReadingThenRowsAndTimeLeftAtMostFourTimesASecondThenRest) {
  qint64 now = 0;
  platform::SetClockForTesting([&] { return now; });
  shell::Page page;
  ProgressBar bar;
  append::AppendProgress progress(page, bar);
  progress.Busy(true);
  EXPECT_EQ(page.MousePointer(), 11);
  progress.Reading(0);
  EXPECT_EQ(bar.Text(), "Reading rows...");
  now = 300;
  progress.Reading(12345);
  EXPECT_EQ(bar.Text(), "Reading rows... 12,345 read");
  now = 600;
  progress.Progress(1234, 20000);
  EXPECT_EQ(bar.Text(), "1,234 of 20,000 rows");
  EXPECT_EQ(bar.Value(), 6);
  now = 1600;
  progress.Progress(2234, 20000);  // 1,000 rows a second
  EXPECT_EQ(bar.Text(), "2,234 of 20,000 rows, about 18 s left");
  now = 1700;
  progress.Progress(2334, 20000);
  EXPECT_EQ(bar.Text(), "2,234 of 20,000 rows, about 18 s left");
  now = 1850;
  progress.Progress(2384, 20000);
  EXPECT_EQ(bar.Text(), "2,384 of 20,000 rows, about 20 s left");
  now = 1900;
  progress.Progress(20000, 20000);
  EXPECT_EQ(bar.Text(), "20,000 of 20,000 rows");
  EXPECT_EQ(bar.Value(), 100);
  progress.Busy(false);
  progress.RunEnded();
  EXPECT_EQ(page.MousePointer(), 0);
  EXPECT_EQ(bar.Text(), "Progress Bar");
  EXPECT_EQ(bar.Value(), 0);
  platform::SetClockForTesting({});
}

TEST(AppendProgressText, TheTimeLeftIsGivenInSecondsMinutesOrHours) {
  EXPECT_EQ(append::AboutLeft(12000), "about 12 s left");
  EXPECT_EQ(append::AboutLeft(1), "about 1 s left");
  EXPECT_EQ(append::AboutLeft(180000), "about 3 min left");
  EXPECT_EQ(append::AboutLeft(2 * 3600000 + 5 * 60000), "about 2 h 5 min left");
}
