// An append run that cannot read its source, that meets input while it works, that is cut
// short by the end of the program, or that has nothing chosen.

#include <QTest>

#include "append_fixture.h"
#include "recorded_connections.h"
#include "shell/list_selection.h"

namespace {

std::vector<FakeServer::Row> NumberedRows(int count) {
  std::vector<FakeServer::Row> rows;
  for (int i = 1; i <= count; ++i) {
    rows.push_back({adodb::Value::Text(QString::number(i))});
  }
  return rows;
}

}  // namespace

// The rows are written as they are read: those read before the failure stay, and the run stops
// there.
TEST_F(AppendRun, ASourceFetchThatFailsIsReportedOnceAndTheRowsReadBeforeStay) {
  server.AddTable("db1", "T", {"a"});
  server.AddTable("db2", "Source", {"a"}, NumberedRows(4));
  OpenPage();
  server.FailFetchAfter(2, "Communication link failure");  // the count's row, then one row
  Append("T", "Source");
  EXPECT_EQ(dialogs.Texts(), QStringList({ErrorReport("Communication link failure", 144),
                                          "Stopped. 1 row appended."}));
  EXPECT_EQ(InsertsOf(RunStatements()), QStringList({"INSERT INTO [T] VALUES('1')"}));
  EXPECT_EQ(server.FindTable("db1", "T")->rows, NumberedRows(1));
  ExpectAtRest();
}

TEST_F(AppendRun, ASourceQueryThatFailsIsReportedOnceAndNothingIsWritten) {
  server.AddTable("db1", "T", {"a"});
  server.AddTable("db2", "Source", {"a"}, NumberedRows(2));
  OpenPage();
  RecordedConnections recorded(2);
  int selects = 0;
  recorded.BeforeStatement([&](int, const QString& statement) {
    if (statement.startsWith("SELECT * FROM") && ++selects == 1) {
      throw adodb::Error("Invalid object name 'Source'.", "42S02", 208);
    }
  });
  Append("T", "Source");
  EXPECT_EQ(dialogs.Texts(), QStringList({ErrorReport("Invalid object name 'Source'.", 134)}));
  EXPECT_EQ(InsertsOf(RunStatements()), QStringList());
  ExpectAtRest();
}

TEST_F(AppendRun, InputDuringTheRunNeitherRedirectsItNorStartsAnother) {
  server.AddTable("db1", "T", {"a"});
  server.AddTable("db1", "Other", {"a"});
  server.AddTable("db2", "Source", {"a"}, NumberedRows(3));
  server.AddTable("db2", "Source2", {"a"}, NumberedRows(5));
  OpenPage();
  RecordedConnections recorded(2);
  QList<bool> enabled;
  QString runButton;
  bool disturbed = false;
  recorded.BeforeStatement([&](int, const QString& statement) {
    if (!statement.startsWith("INSERT") || disturbed) return;
    disturbed = true;
    // Handled when the run next lets the window process its events.
    QMetaObject::invokeMethod(
        &Page(),
        [&] {
          for (const char* name : {"List1", "List2", "Option1", "Option2", "PushButton5"}) {
            enabled << Page().findChild<QWidget*>(name)->isEnabled();
          }
          // The run's own button stops it (pressed in a test of its own).
          runButton = Button("PushButton2").text();
          enabled << Button("PushButton2").isEnabled();
          QListWidget& list1 = List("List1");
          QTest::mouseClick(
              list1.viewport(), Qt::LeftButton, {},
              list1.visualItemRect(list1.findItems("Other", Qt::MatchExactly)[0]).center());
          QTest::mouseClick(&Option("Option2"), Qt::LeftButton);
          EXPECT_EQ(*shell::SelectedText(list1), "T");
          EXPECT_TRUE(Option("Option1").isChecked());
          // Even changed from code, the choices of a run stay those of its start.
          Choose("List1", "Other");
          Choose("List2", "Source2");
          Option("Option2").setChecked(true);
        },
        Qt::QueuedConnection);
  });
  Append("T", "Source");

  EXPECT_EQ(enabled, QList<bool>({false, false, false, false, false, true}));
  EXPECT_EQ(runButton, "Stop Appending");
  EXPECT_EQ(Button("PushButton2").text(), "Start Appending");
  EXPECT_EQ(recorded.Log().filter("SELECT * FROM").size(), 1);
  EXPECT_EQ(InsertsOf(RunStatements()),
            QStringList({"INSERT INTO [T] VALUES('1')", "INSERT INTO [T] VALUES('2')",
                         "INSERT INTO [T] VALUES('3')"}));
  EXPECT_EQ(server.FindTable("db1", "T")->rows, NumberedRows(3));
  EXPECT_TRUE(server.FindTable("db1", "Other")->rows.empty());
  EXPECT_EQ(server.FindTable("db2", "Source")->rows, NumberedRows(3));
  EXPECT_EQ(dialogs.Texts(), QStringList({"Done."}));
  for (const char* name : {"List1", "List2", "Option1", "Option2", "PushButton2", "PushButton5"}) {
    EXPECT_TRUE(Page().findChild<QWidget*>(name)->isEnabled()) << name;
  }
}

TEST_F(AppendRun, ClosingTheWindowDuringTheRunSendsNothingMore) {
  server.AddTable("db1", "T", {"a"});
  server.AddTable("db2", "Source", {"a"}, NumberedRows(4));
  OpenPage();
  RecordedConnections recorded(2);
  recorded.BeforeStatement([&](int, const QString& statement) {
    if (statement == "INSERT INTO [T] VALUES('2')") {
      QMetaObject::invokeMethod(
          &Page(), [&] { Page().close(); }, Qt::QueuedConnection);
    }
  });
  Append("T", "Source");
  EXPECT_EQ(Ended(), 1);
  EXPECT_EQ(InsertsOf(RunStatements()),
            QStringList({"INSERT INTO [T] VALUES('1')", "INSERT INTO [T] VALUES('2')"}));
  EXPECT_EQ(server.FindTable("db1", "T")->rows, NumberedRows(2));
  EXPECT_TRUE(dialogs.Boxes().empty());
}

TEST_F(AppendRun, WithoutATableChosenInEachListOnlyTheMessageShows) {
  server.AddTable("db1", "T", {"a"});
  server.AddTable("db2", "Source", {"a"}, NumberedRows(1));
  OpenPage();
  Page().SetMousePointer(99);
  Bar().SetValue(40);
  Bar().SetText("left as it was");
  const size_t connections = server.Connections().size();
  Choose("List1", "T");
  Press();
  List("List1").clearSelection();
  Choose("List2", "Source");
  Press();
  EXPECT_EQ(dialogs.Texts(), QStringList(2, "Please select a table and field from each database."));
  EXPECT_EQ(server.Connections().size(), connections);
  EXPECT_EQ(Page().MousePointer(), 99);
  EXPECT_EQ(Bar().Value(), 40);
  EXPECT_EQ(Bar().Text(), "left as it was");
  EXPECT_TRUE(Button("PushButton2").isEnabled());
}

// The target's connection goes after three rows: the loss is reported once, nothing more is
// sent, and the closing message counts what was and was not written instead of saying "Done.".
TEST_F(AppendRun, ALostTargetConnectionEndsTheWritingAndSaysWhatWasNotWritten) {
  server.AddTable("db1", "T", {"a"});
  server.AddTable("db2", "Source", {"a"}, NumberedRows(10));
  OpenPage();
  server.RefuseStatements("VALUES('2')", "Conversion failed.");
  // The run's mark, the field count's description, the column facts, the target's count, its
  // foreign keys, then rows 1 to 4 (row 2 refused): the fifth INSERT meets the closed session,
  // and the target is not counted again.
  server.LoseConnectionAfter(9, "Database=db1");
  Append("T", "Source");
  ASSERT_EQ(dialogs.Texts().size(), 3);
  EXPECT_EQ(dialogs.Texts()[0], ErrorReport("Conversion failed.", 148));
  EXPECT_EQ(dialogs.Texts()[1],
            ErrorReport("[FreeTDS][SQL Server]Communication link failure", 148));
  EXPECT_TRUE(dialogs.Texts()[2].startsWith(
      "The connection to Database #1 was lost.\r\n\r\n3 rows were appended before the "
      "connection was lost; the other 6 rows were not written.\r\n\r\n1 refused by the server "
      "before:\r\nConversion failed.\r\nThe refused rows are in "));
  EXPECT_TRUE(dialogs.Texts()[2].endsWith(
      ".csv.\r\n\r\nThe target table's growth could not be checked: the connection to it was "
      "lost."));
  EXPECT_EQ(InsertsOf(StatementsOnConnection(1)).size(), 5);
  EXPECT_EQ(server.FindTable("db1", "T")->rows.size(), 3u);
  ExpectAtRest();
}
