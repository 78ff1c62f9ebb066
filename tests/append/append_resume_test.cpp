// The window's side of going on from a cut run: the question, and what each answer does.

#include <QFile>

#include "append/append_journal.h"
#include "append_fixture.h"
#include "connections/connection_page.h"
#include "platform/desktop/dialogs.h"

namespace {

using AppendResume = AppendRun;

std::vector<FakeServer::Row> Rows(std::initializer_list<FakeServer::Row> rows) {
  return rows;
}

}  // namespace

// A run of the same tables that ended short after one row: Yes reads the source after the last
// key written and counts both parts; No starts anew, and the journal is set aside.
TEST_F(AppendResume, AShortRunIsPutToTheUserYesGoesOnAfterItsKeyNoStartsAnew) {
  server.AddTable("db1", "T", {"a"}, Rows({FakeServer::TextRow({"1"})}));
  server.AddTable(
      "db2", "Source", {"a"},
      Rows({FakeServer::TextRow({"1"}), FakeServer::TextRow({"2"}), FakeServer::TextRow({"3"})}));
  server.SetKey("db2", "Source", {"a"});
  OpenPage();
  const ConnectionProfile target = wizard->form1().Profile1();
  const ConnectionProfile source = wizard->form1().Profile2();
  const QString path = append::AppendJournal::PathOf(source, "Source", target, "T");
  const auto cutAfterOneRow = [&] {
    append::AppendJournal cut(path);
    const append::JournalHeader header{append::AppendJournal::LoginOf(source),
                                       append::AppendJournal::LoginOf(target),
                                       "Source",
                                       "T",
                                       false,
                                       "one INSERT a row",
                                       {"a"},
                                       {},
                                       0};
    ASSERT_TRUE(cut.Begin(header, {1, 0, {"'1'"}, 0, {}}));
  };
  cutAfterOneRow();
  dialogs.Answer(dialogs::vbYes);
  Append("T", "Source");
  ASSERT_EQ(dialogs.Texts().size(), 2);
  EXPECT_EQ(dialogs.Texts()[0],
            "The last append of Source into T stopped after 1 row. Go on from there?");
  EXPECT_EQ(dialogs.Boxes().front().flags, dialogs::vbYesNo);
  EXPECT_TRUE(
      StatementsOnConnection(2).contains("SELECT * FROM [Source] WHERE ([a] > '1') "
                                         "ORDER BY [a]"));
  EXPECT_EQ(server.FindTable("db1", "T")->rows, server.FindTable("db2", "Source")->rows);
  EXPECT_EQ(
      dialogs.Texts()[1],
      "Done.\r\n\r\nWent on from the cut run: 2 rows appended now, 1 before. T holds 3 rows.");
  EXPECT_FALSE(QFile::exists(path));

  cutAfterOneRow();
  dialogs.Clear();
  dialogs.Answer(dialogs::vbNo);
  Press();
  EXPECT_EQ(server.FindTable("db1", "T")->rows.size(), 6u);
  EXPECT_EQ(dialogs.Texts().back(), "Done.");
  EXPECT_FALSE(QFile::exists(path));
}
