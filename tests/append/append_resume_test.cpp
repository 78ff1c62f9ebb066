// The window's side of going on from a cut run: the question, and what each answer does.

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "append/resume/append_journal.h"
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
  EXPECT_TRUE(StatementsOnConnection(2).contains(
      "SELECT * FROM [Source] WHERE (/*key*/([a] > '1')/*/key*/\n) "
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

// A journal whose mark was cut short or changed by hand is no account of a run: its key is
// never put into a statement. The window asks nothing and appends every row anew.
TEST_F(AppendResume, AJournalNotWholeIsNeverGoneOnFrom) {
  server.AddTable("db1", "T", {"a"}, Rows({FakeServer::TextRow({"1"})}));
  server.AddTable("db2", "Source", {"a"},
                  Rows({FakeServer::TextRow({"1"}), FakeServer::TextRow({"2"})}));
  server.SetKey("db2", "Source", {"a"});
  OpenPage();
  const QString path = append::AppendJournal::PathOf(wizard->form1().Profile2(), "Source",
                                                     wizard->form1().Profile1(), "T");
  ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
  const auto journalWithMark = [&](const QByteArray& mark) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"({"key":["a"],"source_login":"s","target_login":"t","target_before":"0"})"
               "\n" +
               mark + '\n');
  };
  const QByteArray whole =
      R"({"after":["N'1''x'"],"appended":"1","flight_after":[],"in_flight":"0","refused":"0"})";
  journalWithMark(whole);
  EXPECT_TRUE(append::AppendJournal::Read(path));
  for (const char* to : {"'1' OR 1=1", "'1''", "0x1G", "'1'); DROP TABLE [Source]; --"}) {
    journalWithMark(QByteArray(whole).replace("N'1''x'", to));
    EXPECT_FALSE(append::AppendJournal::Read(path)) << to;
  }
  Append("T", "Source");
  EXPECT_EQ(dialogs.Texts(), QStringList{"Done."});
  EXPECT_EQ(server.FindTable("db1", "T")->rows.size(), 3u);
  EXPECT_FALSE(StatementsOnConnection(2).join('\n').contains("DROP"));
  EXPECT_FALSE(QFile::exists(path));
}
