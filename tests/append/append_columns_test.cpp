// The append over tables the catalogue tells of: identity keys, columns the server fills
// itself, tables of another schema, and the question before differing columns go by position.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <tuple>

#include "append/append_fixture.h"
#include "append/engine/column_pairs.h"
#include "append/mark/run_mark.h"
#include "platform/desktop/dialogs.h"

namespace {

MSSQL::ColumnFacts Column(const char* name, const char* type, bool identity = false,
                          bool computed = false) {
  return {name, type, identity, computed, QString(type) == "timestamp"};
}

std::vector<FakeServer::Row> TwoRows() {
  return {FakeServer::TextRow({"1", "a"}), FakeServer::TextRow({"2", "b"})};
}

class AppendColumns : public AppendRun {
 protected:
  // T (Id identity, Name) in db1, Source (Id, Name) in db2 with two rows.
  void IdentityTables() {
    server.AddTable("db1", "T", {"Id", "Name"});
    server.SetColumnFacts("db1", "", "T", {Column("Id", "int", true), Column("Name", "nvarchar")});
    server.AddTable("db2", "Source", {"Id", "Name"}, TwoRows());
    server.SetColumnFacts("db2", "", "Source", {Column("Id", "int"), Column("Name", "nvarchar")});
  }
};

}  // namespace

TEST_F(AppendColumns, AnIdentityKeyIsWrittenByNameBetweenIdentityInsertOnAndOff) {
  IdentityTables();
  server.RefuseStatements("VALUES('1'", "Violation of PRIMARY KEY constraint.");
  OpenPage();
  Append("T", "Source");
  EXPECT_EQ(StatementsOnConnection(1),
            QStringList({MarkQuery("T"), FactsQuery("T"), FillsQuery("T", {"Id", "Name"}),
                         "SET IDENTITY_INSERT [T] ON", "SELECT COUNT_BIG(*) FROM [T]",
                         SelfReferenceQuery("T"), "INSERT INTO [T] ([Id], [Name]) VALUES('1', 'a')",
                         "INSERT INTO [T] ([Id], [Name]) VALUES('2', 'b')",
                         "SELECT COUNT_BIG(*) FROM [T]", "SET IDENTITY_INSERT [T] OFF"}));
  // The taken key is refused alone.
  EXPECT_EQ(dialogs.Texts().size(), 2);
  EXPECT_EQ(dialogs.Texts()[0], ErrorReport("Violation of PRIMARY KEY constraint.", 148));
  EXPECT_EQ(server.FindTable("db1", "T")->rows.size(), 1u);
  ExpectAtRest();
}

TEST_F(AppendColumns, TheFastAppendNamesTheColumnsInItsBatchesToo) {
  IdentityTables();
  OpenPage();
  Page().findChild<QCheckBox*>("Check1")->setChecked(true);
  Append("T", "Source");
  const QStringList statements = StatementsOnConnection(1);
  EXPECT_EQ(statements.filter("IDENTITY_INSERT"),
            QStringList({"SET IDENTITY_INSERT [T] ON", "SET IDENTITY_INSERT [T] OFF"}));
  // On one server the server's own copy of every column is refused by the identity target;
  // then it names the columns, IDENTITY_INSERT on; refused again (this fake server takes no
  // column list in a copy), the rows go in batches that name them too.
  EXPECT_EQ(
      InsertsOf(statements),
      QStringList({"INSERT INTO [T] SELECT * FROM [db2].[dbo].[Source]",
                   "INSERT INTO [T] ([Id], [Name]) SELECT [Id], [Name] FROM [db2].[dbo].[Source]",
                   "INSERT INTO [T] ([Id], [Name]) VALUES('1', 'a'), ('2', 'b')"}));
  EXPECT_EQ(server.FindTable("db1", "T")->rows.size(), 2u);
  EXPECT_EQ(dialogs.Texts(), QStringList({"Done."}));
}

TEST_F(AppendColumns, ALostTargetConnectionTookIdentityInsertWithIt) {
  IdentityTables();
  OpenPage();
  // The run's mark, the field count's description, the column facts, IDENTITY_INSERT, the
  // target's count and its foreign keys; the first row meets the closed session.
  server.LoseConnectionAfter(6, "Database=db1");
  Append("T", "Source");
  EXPECT_EQ(RunStatements().filter("IDENTITY_INSERT"), QStringList({"SET IDENTITY_INSERT [T] ON"}));
  EXPECT_EQ(dialogs.Texts().size(), 2);  // the loss, then the closing message
  ExpectAtRest();
}

TEST_F(AppendColumns, IdentityInsertRefusedIsReportedOnceAndNoRowIsWritten) {
  IdentityTables();
  server.RefuseStatements("SET IDENTITY_INSERT", "Cannot find the object \"T\".");
  OpenPage();
  Append("T", "Source");
  EXPECT_EQ(dialogs.Texts(), QStringList({ErrorReport("Cannot find the object \"T\".", 164)}));
  EXPECT_EQ(InsertsOf(RunStatements()), QStringList());
  EXPECT_EQ(RunStatements().filter("IDENTITY_INSERT").size(), 1);
  ExpectAtRest();
}

TEST_F(AppendColumns, ComputedAndRowversionColumnsAreLeftOutWithTheValuesFacingThem) {
  const std::vector<MSSQL::ColumnFacts> layout = {
      Column("a", "int"), Column("total", "int", false, true), Column("stamp", "timestamp")};
  server.AddTable("db1", "T", {"a", "total", "stamp"});
  server.SetColumnFacts("db1", "", "T", layout);
  server.AddTable("db2", "Source", {"a", "total", "stamp"}, {FakeServer::TextRow({"1", "2", "x"})});
  server.SetColumnFacts("db2", "", "Source", layout);
  server.AddTable("db1", "Plain", {"a", "total", "stamp"});
  server.SetColumnFacts("db1", "", "Plain",
                        {Column("a", "int"), Column("total", "int"), Column("stamp", "binary")});
  OpenPage();
  Append("T", "Source");
  EXPECT_EQ(InsertsOf(RunStatements()), QStringList({"INSERT INTO [T] ([a]) VALUES('1')"}));
  EXPECT_EQ(dialogs.Texts(), QStringList({"Done."}));

  // The source's own computed and rowversion columns are values like any other.
  dialogs.Clear();
  Append("Plain", "Source");
  EXPECT_EQ(InsertsOf(RunStatements()), QStringList({"INSERT INTO [Plain] VALUES('1', '2', 'x')"}));
  EXPECT_EQ(dialogs.Texts(), QStringList({"Done."}));
  ExpectAtRest();
}

TEST_F(AppendColumns, DifferingColumnsAreAskedAboutOnceAndNoChangesNothing) {
  server.AddTable("db1", "T", {"Id", "Name"});
  server.SetColumnFacts("db1", "", "T", {Column("Id", "int"), Column("Name", "nvarchar")});
  server.AddTable("db2", "Source", {"Title", "Id"}, {FakeServer::TextRow({"a", "1"})});
  server.SetColumnFacts("db2", "", "Source", {Column("Title", "nvarchar"), Column("Id", "int")});
  OpenPage();
  dialogs.Answer(dialogs::vbNo);
  Append("T", "Source");
  const QString question =
      "The rows are appended by column position, and these columns facing each other differ in "
      "name or kind:\r\n\r\n1: Title (nvarchar) -> Id (int)\r\n2: Id (int) -> Name (nvarchar)"
      "\r\n\r\nAppend by position anyway?";
  ASSERT_EQ(dialogs.Boxes().size(), 1u);
  EXPECT_EQ(dialogs.Boxes()[0].text, question);
  EXPECT_EQ(dialogs.Boxes()[0].flags, dialogs::vbYesNo | dialogs::vbDefaultButton2);
  EXPECT_TRUE(InsertsOf(RunStatements()).isEmpty());
  ExpectAtRest();

  // Yes: by position, in the statement's plain form.
  dialogs.Clear();
  dialogs.Answer(dialogs::vbYes);
  Press();
  EXPECT_EQ(InsertsOf(RunStatements()), QStringList({"INSERT INTO [T] VALUES('a', '1')"}));
}

// Source (a, b, c) into T (c, A, b): Cancel writes nothing, Yes appends by name (the server's
// copy names the columns too), No by position.
TEST_F(AppendColumns, TheSameColumnsInAnotherOrderAreAppendedByNameByPositionOrNotAtAll) {
  server.AddTable("db1", "T", {"c", "A", "b"});
  server.SetColumnFacts("db1", "", "T",
                        {Column("c", "int"), Column("A", "int"), Column("b", "int")});
  server.AddTable("db2", "Source", {"a", "b", "c"}, {FakeServer::TextRow({"1", "2", "3"})});
  server.SetColumnFacts("db2", "", "Source",
                        {Column("a", "int"), Column("b", "int"), Column("c", "int")});
  OpenPage();
  dialogs.Answer(dialogs::vbCancel);
  Append("T", "Source");
  ASSERT_EQ(dialogs.Boxes().size(), 1u);
  EXPECT_EQ(dialogs.Boxes()[0].flags, dialogs::vbYesNoCancel);
  EXPECT_EQ(dialogs.Boxes()[0].text,
            "Both tables have the same columns in another order. Appended by name, the values of "
            "these columns of the source go into the target's column of the same name:\r\n\r\n"
            "c: column 3 -> column 1\r\nA: column 1 -> column 2\r\nb: column 2 -> column 3"
            "\r\n\r\nAppend by name? Yes appends by name, No by position, Cancel appends nothing.");
  EXPECT_TRUE(InsertsOf(RunStatements()).isEmpty());
  ExpectAtRest();

  const QString byName = "INSERT INTO [T] ([c], [A], [b]) ";
  for (const auto& [answer, fast, inserts] :
       {std::tuple(dialogs::vbYes, false, QStringList({byName + "VALUES('3', '1', '2')"})),
        std::tuple(dialogs::vbNo, false, QStringList({"INSERT INTO [T] VALUES('1', '2', '3')"})),
        std::tuple(dialogs::vbYes, true,
                   QStringList({byName + "SELECT [c], [a], [b] FROM [db2].[dbo].[Source]",
                                byName + "VALUES('3', '1', '2')"}))}) {
    Page().findChild<QCheckBox*>("Check1")->setChecked(fast);
    dialogs.Clear();
    dialogs.Answer(answer);
    Press();
    EXPECT_EQ(InsertsOf(RunStatements()), inserts);
  }
}

TEST_F(AppendColumns, ATableOfAnotherSchemaIsListedWithItAndKeptApartFromItsTwin) {
  server.AddTable("db1", "T", {"a"});
  server.AddTableIn("db1", "sales", "T", {"a"});
  server.AddTable("db2", "Source", {"a"}, {FakeServer::TextRow({"1"})});
  OpenPage();
  EXPECT_EQ(List("List1").item(1)->text(), "sales.T");
  Append("sales.T", "Source");
  EXPECT_EQ(StatementsOnConnection(1).mid(0, 2),
            QStringList({append::RunMarkStatement({"sales", "T"}, "db1"),
                         MSSQL::TableColumnsStatement({"sales", "T"})}));
  EXPECT_EQ(InsertsOf(RunStatements()), QStringList({"INSERT INTO [sales].[T] VALUES('1')"}));
  EXPECT_EQ(server.FindTableIn("db1", "sales", "T")->rows.size(), 1u);
  EXPECT_TRUE(server.FindTable("db1", "T")->rows.empty());
}

// "Into a new table": the target's list is greyed, the name is asked for with the source's
// offered, an empty name does nothing, and a name the target database has is refused before
// anything is made.
TEST_F(AppendColumns, IntoANewTableTheNameIsAskedAndATakenNameIsRefused) {
  server.AddTable("db1", "T", {"Id", "Name"});
  server.AddTable("db2", "Source", {"Id", "Name"}, TwoRows());
  OpenPage();
  QCheckBox& intoNew = *Page().findChild<QCheckBox*>("Check2");
  EXPECT_FALSE(intoNew.isChecked());
  intoNew.setChecked(true);
  EXPECT_FALSE(List("List1").isEnabled());
  EXPECT_TRUE(List("List2").isEnabled());
  Option("Option2").setChecked(true);
  EXPECT_TRUE(List("List1").isEnabled());
  EXPECT_FALSE(List("List2").isEnabled());
  Option("Option1").setChecked(true);
  Choose("List2", "Source");

  dialogs.Type("");
  Press();
  ASSERT_EQ(dialogs.Boxes().size(), 1u);
  EXPECT_EQ(dialogs.Boxes()[0].text, "Enter name of new table: ");
  EXPECT_EQ(dialogs.Boxes()[0].defaultText, "Source");
  EXPECT_TRUE(RunStatements().isEmpty());

  dialogs.Clear();
  dialogs.Type("t");
  Press();
  EXPECT_EQ(dialogs.Texts(),
            QStringList({"Enter name of new table: ",
                         "The table t exists already in Database #1. Nothing was changed."}));
  EXPECT_TRUE(RunStatements().filter(QRegularExpression("^(CREATE|INSERT|DROP)")).isEmpty());
  EXPECT_TRUE(server.FindTable("db1", "T")->rows.empty());
  ExpectAtRest();
}
