// The append page with several source tables chosen: each goes into the table of its name in
// the other database, one after another, and one box at the end tells what became of each.

#include <QTest>

#include "append_fixture.h"

namespace {

std::vector<FakeServer::Row> Rows(std::initializer_list<const char*> values) {
  std::vector<FakeServer::Row> rows;
  for (const char* value : values) rows.push_back(FakeServer::TextRow({value}));
  return rows;
}

}  // namespace

class AppendManyTables : public AppendRun {
 protected:
  AppendManyTables() {
    server.AddTable("db1", "Lines", {"a"});
    server.AddTable("db1", "Orders", {"a"});
    server.AddTable("db2", "Lines", {"a"}, Rows({"l1"}));
    server.AddTable("db2", "Notes", {"a"}, Rows({"n1"}));
    server.AddTable("db2", "Orders", {"a"}, Rows({"o1", "o2"}));
    server.AddTable("db1", "Wide", {"a", "b"});
    server.AddTable("db2", "Wide", {"a"}, Rows({"w1"}));
    OpenPage();
  }

  void ChooseSources(std::initializer_list<const char*> tables) {
    for (const char* table : tables) {
      List("List2").findItems(table, Qt::MatchExactly).value(0)->setSelected(true);
    }
  }
};

TEST_F(AppendManyTables, EachSourceGoesIntoTheTableOfItsNameAndOneBoxListsThemAll) {
  ChooseSources({"Orders", "Notes", "Lines"});
  EXPECT_FALSE(List("List1").isEnabled());
  const std::size_t before = server.Connections().size();
  Press();
  // One session a side for the whole run, which every table's run works on in turn.
  EXPECT_EQ(server.Connections().size() - before, 2u);
  EXPECT_EQ(server.FindTable("db1", "Lines")->rows, Rows({"l1"}));
  EXPECT_EQ(server.FindTable("db1", "Orders")->rows, Rows({"o1", "o2"}));
  EXPECT_EQ(dialogs.Texts(),
            QStringList({"Done.\r\n\r\n"
                         "Lines: 1 row appended to Lines\r\n"
                         "Notes: not appended, no table of that name in Database #1\r\n"
                         "Orders: 2 rows appended to Orders"}));
  ExpectAtRest();
  EXPECT_EQ(server.LiveConnections(), 0);
}

TEST_F(AppendManyTables, StopEndsTheTableUnderWayAndStartsNoOther) {
  ChooseSources({"Lines", "Orders"});
  bool pointerBusy = false;
  server.BlockStatements("VALUES('l1')", [&] {
    QTest::mouseClick(&Button("PushButton2"), Qt::LeftButton);
    pointerBusy = Page().MousePointer() == 11;
    server.Release();
  });
  Press();
  EXPECT_TRUE(pointerBusy);
  EXPECT_EQ(InsertsOf(RunStatements()), QStringList({"INSERT INTO [Lines] VALUES('l1')"}));
  EXPECT_EQ(dialogs.Texts(), QStringList({"Stopped.\r\n\r\n"
                                          "Lines: stopped after 1 row\r\n"
                                          "Orders: not started, the run was stopped before it"}));
  EXPECT_EQ(Button("PushButton2").text(), "Start Appending");
  EXPECT_TRUE(Button("PushButton2").isEnabled());
  ExpectAtRest();
}

// A table's own check still shows as it comes, and the others go on.
TEST_F(AppendManyTables, ATableThatFailsItsCheckIsToldAndTheOthersGo) {
  ChooseSources({"Wide", "Lines"});
  Press();
  EXPECT_EQ(server.FindTable("db1", "Lines")->rows, Rows({"l1"}));
  EXPECT_EQ(dialogs.Texts(), QStringList({"Tables do not have same number of fields (columns).",
                                          "Done.\r\n\r\n"
                                          "Lines: 1 row appended to Lines\r\n"
                                          "Wide: not appended, as the message shown for it says"}));
}
