// A whole append run on the in-memory server: the statements, the connections, the direction,
// the messages, the progress and the rows the target refuses.

#include <QRegularExpression>
#include "append/ways/append_statements.h"
#include "append_fixture.h"
#include "connections/connection_page.h"
#include "recorded_connections.h"

using adodb::Value;

namespace {

const char kGreek[] = "Καλημέρα";
// The target's rows, counted before the first row and after the last.
const QString kCountT = "SELECT COUNT_BIG(*) FROM [T]";

std::vector<FakeServer::Row> Rows(std::initializer_list<FakeServer::Row> rows) {
  return rows;
}

}  // namespace

TEST_F(AppendRun, WritesEachRowAsOneInsertWithItsValuesIntact) {
  FakeServer::Row binary = FakeServer::TextRow({"x", "", nullptr, "y"});
  binary[2] = Value::Binary(QByteArray("\x0a\xff", 2));
  binary[3] = Value::Binary({});
  server.AddTable("db1", "T", {"a", "b", "c", "d"});
  server.AddTable("db2", "Source", {"e", "f", "g", "h"},
                  Rows({FakeServer::TextRow({"abc", nullptr, "it's", "12"}),
                        FakeServer::TextRow({kGreek, "a|mysepz123|b", "", "x'y"}), binary}));
  OpenPage();
  Append("T", "Source");

  // Option1: the source is List2's table, read through connection 2; the target is List1's.
  EXPECT_EQ(
      StatementsOnConnection(1),
      QStringList({MarkQuery("T"), FactsQuery("T"), FillsQuery("T", {"a", "b", "c", "d"}), kCountT,
                   SelfReferenceQuery("T"), "INSERT INTO [T] VALUES('abc', NULL, 'it''s', '12')",
                   QString("INSERT INTO [T] VALUES(N'") + QString::fromUtf8(kGreek) +
                       "', 'a|mysepz123|b', '', 'x''y')",
                   "INSERT INTO [T] VALUES('x', '', 0x0AFF, 0x)", kCountT}));
  EXPECT_EQ(StatementsOnConnection(2), QStringList({FactsQuery("Source"), FillsQuery("Source", {}),
                                                    "SELECT COUNT_BIG(*) FROM [Source]",
                                                    KeyQuery("Source"), "SELECT * FROM [Source]"}));
  EXPECT_EQ(server.FindTable("db1", "T")->rows, server.FindTable("db2", "Source")->rows);
  EXPECT_EQ(dialogs.Texts(), QStringList({"Done."}));
  EXPECT_EQ(dialogs.Boxes().front().flags, 0);
  ExpectAtRest();
  EXPECT_EQ(server.LiveConnections(), 0);
}

TEST_F(AppendRun, OptionTwoReadsListOneThroughConnectionOneAndWritesListTwo) {
  server.AddTable("db1", "Source", {"a"}, Rows({FakeServer::TextRow({"1"})}));
  server.AddTable("db2", "T", {"a"});
  OpenPage();
  Option("Option2").setChecked(true);
  Append("Source", "T");
  EXPECT_EQ(StatementsOnConnection(1), QStringList({FactsQuery("Source"), FillsQuery("Source", {}),
                                                    "SELECT COUNT_BIG(*) FROM [Source]",
                                                    KeyQuery("Source"), "SELECT * FROM [Source]"}));
  EXPECT_EQ(StatementsOnConnection(2),
            QStringList({MarkQuery("T", "db2"), FactsQuery("T"), FillsQuery("T", {"a"}), kCountT,
                         SelfReferenceQuery("T"), "INSERT INTO [T] VALUES('1')", kCountT}));
  EXPECT_EQ(server.FindTable("db2", "T")->rows.size(), 1u);
  EXPECT_EQ(dialogs.Texts(), QStringList({"Done."}));
}

TEST_F(AppendRun, PreparesBothConnectionsInOrderAndOpensThemWithTheLoginsOfThatMoment) {
  server.AddTable("db1", "T", {"a"});
  server.AddTable("db2", "Source", {"a"}, Rows({FakeServer::TextRow({"1"})}));
  OpenPage();
  const ConnectionProfile profile1 = wizard->form1().Profile1();
  const ConnectionProfile profile2 = wizard->form1().Profile2();
  RecordedConnections recorded(2);
  Append("T", "Source");
  // Both are prepared in order; then they log in and look at their tables side by side.
  EXPECT_EQ(
      recorded.Log().mid(0, 6),
      QStringList({"1 CommandTimeout=5000", "1 ConnectionTimeout=5000", "2 CommandTimeout=5000",
                   "2 ConnectionTimeout=5000", "1 Mode=3", "2 Mode=3"}));
  EXPECT_EQ(
      recorded.Log().filter(QRegularExpression("^1 [^CM]")),
      QStringList({"1 Open", "1 " + MarkQuery("T"), "1 " + FactsQuery("T"),
                   "1 " + FillsQuery("T", {"a"}), "1 " + kCountT, "1 " + SelfReferenceQuery("T"),
                   "1 INSERT INTO [T] VALUES('1')", "1 " + kCountT}));
  EXPECT_EQ(recorded.Log().filter(QRegularExpression("^2 [^CM]")),
            QStringList({"2 Open", "2 " + FactsQuery("Source"), "2 " + FillsQuery("Source", {}),
                         "2 SELECT COUNT_BIG(*) FROM [Source]", "2 " + KeyQuery("Source"),
                         "2 SELECT * FROM [Source]"}));
  const auto& connections = server.Connections();
  ASSERT_GE(connections.size(), 2u);
  EXPECT_EQ(connections[connections.size() - 2].connectionString, BuildConnectionString(profile1));
  EXPECT_EQ(connections.back().connectionString, BuildConnectionString(profile2));
}

TEST_F(AppendRun, NamesGoBetweenBracketsWithTheirClosingBracketDoubled) {
  server.AddTable("db1", "we]ird", {"a"});
  server.AddTable("db2", "So[urce", {"a"}, Rows({FakeServer::TextRow({"1"})}));
  OpenPage();
  Append("we]ird", "So[urce");
  EXPECT_EQ(
      StatementsOnConnection(1),
      QStringList({MarkQuery("we]ird"), FactsQuery("we]ird"), FillsQuery("we]ird", {"a"}),
                   "SELECT COUNT_BIG(*) FROM [we]]ird]", SelfReferenceQuery("we]ird"),
                   "INSERT INTO [we]]ird] VALUES('1')", "SELECT COUNT_BIG(*) FROM [we]]ird]"}));
  EXPECT_EQ(StatementsOnConnection(2),
            QStringList({FactsQuery("So[urce"), FillsQuery("So[urce", {}),
                         "SELECT COUNT_BIG(*) FROM [So[urce]", KeyQuery("So[urce"),
                         "SELECT * FROM [So[urce]"}));
  EXPECT_EQ(dialogs.Texts(), QStringList({"Done."}));
}

TEST_F(AppendRun, DifferentFieldCountsStopBeforeTheSourceIsReadAndFetchNoRow) {
  server.AddTable("db1", "T", {"a", "b", "c"}, Rows({FakeServer::TextRow({"1", "2", "3"})}));
  server.AddTable("db2", "Source", {"a", "b", "c", "d"},
                  Rows({FakeServer::TextRow({"1", "2", "3", "4"})}));
  OpenPage();
  Append("T", "Source");
  EXPECT_EQ(dialogs.Texts(), QStringList({"Tables do not have same number of fields (columns)."}));
  EXPECT_EQ(StatementsOnConnection(1),
            QStringList({MarkQuery("T"), FactsQuery("T"), FillsQuery("T", {"a", "b", "c"})}));
  EXPECT_EQ(StatementsOnConnection(2),
            QStringList({FactsQuery("Source"), FillsQuery("Source", {})}));
  EXPECT_EQ(RowsFetchedByRun(), 1);  // the run's mark alone
  EXPECT_EQ(server.FindTable("db1", "T")->rows.size(), 1u);
  ExpectAtRest();
}

TEST_F(AppendRun, SameCountWithOtherNamesPassesAndAnEmptySourceIsNamed) {
  server.AddTable("db1", "T", {"x", "y"}, Rows({FakeServer::TextRow({"1", "2"})}));
  server.AddTable("db2", "Empty", {"a", "b"});
  OpenPage();
  Append("T", "Empty");
  EXPECT_EQ(dialogs.Texts(), QStringList({"No records in table Empty."}));
  EXPECT_EQ(InsertsOf(RunStatements()), QStringList());
  ExpectAtRest();

  // The other way round the source is List1's table.
  dialogs.Clear();
  Option("Option2").setChecked(true);
  Press();
  EXPECT_EQ(dialogs.Texts(), QStringList({"Done."}));
  EXPECT_EQ(server.FindTable("db2", "Empty")->rows, server.FindTable("db1", "T")->rows);
}

TEST_F(AppendRun, TheBarStandsAtEachRowsShareBeforeItsInsertAndRestsAfterward) {
  server.AddTable("db1", "T", {"a"});
  server.AddTable("db2", "Four", {"a"},
                  Rows({FakeServer::TextRow({"1"}), FakeServer::TextRow({"2"}),
                        FakeServer::TextRow({"3"}), FakeServer::TextRow({"4"})}));
  OpenPage();
  RecordedConnections recorded(2);
  QList<int> values;
  QList<int> pointers;
  recorded.BeforeStatement([&](int, const QString& statement) {
    if (!statement.startsWith("INSERT")) return;
    values << static_cast<int>(Bar().Value());
    pointers << Page().MousePointer();
  });
  Append("T", "Four");
  EXPECT_EQ(values, QList<int>({25, 50, 75, 100}));
  EXPECT_EQ(pointers, QList<int>({11, 11, 11, 11}));
  // And the run's mark, the source's count and the target's two counts.
  EXPECT_EQ(RowsFetchedByRun(), 4 + 4);
  ExpectAtRest();
}

TEST_F(AppendRun, ATableAppendedToItselfEndsWithEachRowTwice) {
  StoreLogins("db", "db");
  server.AddTable("db", "T", {"a", "b"},
                  Rows({FakeServer::TextRow({"1", nullptr}), FakeServer::TextRow({"2", "x"})}));
  OpenPage();
  Append("T", "T");
  EXPECT_EQ(server.FindTable("db", "T")->rows,
            Rows({FakeServer::TextRow({"1", nullptr}), FakeServer::TextRow({"2", "x"}),
                  FakeServer::TextRow({"1", nullptr}), FakeServer::TextRow({"2", "x"})}));
  EXPECT_EQ(dialogs.Texts(), QStringList({"Done."}));
}

TEST_F(AppendRun, OneColumnRowsThatAreNullOrEmptyAreAppendedToo) {
  const std::vector<FakeServer::Row> rows =
      Rows({FakeServer::TextRow({nullptr}), FakeServer::TextRow({""}),
            FakeServer::TextRow({"|mysepz123|"}), FakeServer::TextRow({nullptr})});
  server.AddTable("db1", "T", {"a"});
  server.AddTable("db2", "Source", {"a"}, rows);
  OpenPage();
  Append("T", "Source");
  EXPECT_EQ(InsertsOf(RunStatements()),
            QStringList({"INSERT INTO [T] VALUES(NULL)", "INSERT INTO [T] VALUES('')",
                         "INSERT INTO [T] VALUES('|mysepz123|')", "INSERT INTO [T] VALUES(NULL)"}));
  EXPECT_EQ(server.FindTable("db1", "T")->rows, rows);
}

TEST_F(AppendRun, ARefusedRowIsLostAloneTheFirstBoxedTheRestCounted) {
  server.AddTable("db1", "T", {"a"});
  std::vector<FakeServer::Row> rows;
  for (const char* value : {"1", "bad1", "3", "bad2", "bad1", "6"}) {
    rows.push_back(FakeServer::TextRow({value}));
  }
  server.AddTable("db2", "Source", {"a"}, rows);
  server.RefuseStatements("'bad1'", "Conversion failed when converting 'bad1' to int.");
  server.RefuseStatements("'bad2'", "Conversion failed when converting 'bad2' to int.");
  OpenPage();
  Append("T", "Source");

  EXPECT_EQ(InsertsOf(RunStatements()).size(), 6);
  EXPECT_EQ(
      server.FindTable("db1", "T")->rows,
      Rows({FakeServer::TextRow({"1"}), FakeServer::TextRow({"3"}), FakeServer::TextRow({"6"})}));
  ASSERT_EQ(dialogs.Boxes().size(), 2u);
  EXPECT_EQ(dialogs.Boxes()[0].text,
            ErrorReport("Conversion failed when converting 'bad1' to int.", 148));
  EXPECT_EQ(dialogs.Boxes()[0].title, "Application Error");
  EXPECT_EQ(dialogs.Boxes()[0].flags, 48);
  EXPECT_TRUE(dialogs.Boxes()[1].text.startsWith(
      "Done.\r\n\r\n3 rows appended, 3 refused by the server:\r\n"
      "Conversion failed when converting 'bad1' to int.\r\n"
      "Conversion failed when converting 'bad2' to int.\r\nThe refused rows are in "));
  ExpectAtRest();
}

// One failed login, one report, whichever of the two it is; nothing is read or written.
TEST_F(AppendRun, ALoginThatFailsIsReportedOnceAndEndsTheRun) {
  server.AddTable("db1", "T", {"a"});
  server.AddTable("db2", "Source", {"a"}, Rows({FakeServer::TextRow({"1"})}));
  OpenPage();
  server.RefuseOpen("Database=db1", "Login failed for user 'ann'.");
  Append("T", "Source");
  EXPECT_EQ(dialogs.Texts(), QStringList({ErrorReport("Login failed for user 'ann'.", 122)}));
  EXPECT_TRUE(RunStatements().isEmpty());
  ExpectAtRest();
  server.ClearFaults();
  server.RefuseOpen("Database=db2", "Login failed for user 'bob'.");
  Append("T", "Source");
  EXPECT_EQ(dialogs.Texts().last(), ErrorReport("Login failed for user 'bob'.", 124));
  EXPECT_EQ(dialogs.Texts().size(), 2);
  EXPECT_TRUE(RunStatements().isEmpty());
  ExpectAtRest();
}
