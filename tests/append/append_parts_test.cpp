// The parts of the append engine: the statements it writes, the row buffer, and the closing
// message when rows were refused.

#include <gtest/gtest.h>

#include "append/engine/column_pairs.h"
#include "append/refused/refused_rows.h"
#include "append/ways/append_statements.h"
#include "append/ways/row_buffer.h"
#include "support/qt_printers.h"
#include "support/value_printer.h"

using adodb::Value;
using append::InsertStatement;
using append::Row;
using append::RowBuffer;
using append::SqlLiteral;

TEST(AppendStatements, LiteralsKeepEveryValueAsItIs) {
  EXPECT_EQ(SqlLiteral(Value::Null()), "NULL");
  EXPECT_EQ(SqlLiteral(Value::Text("")), "''");
  EXPECT_EQ(SqlLiteral(Value::Text("it's ''")), "'it''s '''''");
  EXPECT_EQ(SqlLiteral(Value::Text("2021-08-31T12:00:00")), "'2021-08-31T12:00:00'");
  EXPECT_EQ(SqlLiteral(Value::Text("\x7f ~")), "'\x7f ~'");
  EXPECT_EQ(SqlLiteral(Value::Text(QString::fromUtf8("café"))), QString::fromUtf8("N'café'"));
  EXPECT_EQ(SqlLiteral(Value::Text(QString::fromUtf8("Ελλάδα's"))),
            QString::fromUtf8("N'Ελλάδα''s'"));
  EXPECT_EQ(SqlLiteral(Value::Text(QString::fromUtf8("😀"))), QString::fromUtf8("N'😀'"));
  EXPECT_EQ(SqlLiteral(Value::Binary(QByteArray("\x00\x1f\xab", 3))), "0x001FAB");
  EXPECT_EQ(SqlLiteral(Value::Binary({})), "0x");
  // A U+0000 would end the statement text: it goes in as NCHAR(0) between the pieces.
  EXPECT_EQ(SqlLiteral(Value::Text(QString::fromUtf16(u"a\0b'c", 5))), "'a'+NCHAR(0)+'b''c'");
  EXPECT_EQ(SqlLiteral(Value::Text(QString::fromUtf16(u"\0\0", 2))), "''+NCHAR(0)+''+NCHAR(0)+''");
  EXPECT_EQ(SqlLiteral(Value::Text(QString::fromUtf16(u"é\0", 2))),
            QString::fromUtf8("N'é'+NCHAR(0)+N''"));
}

TEST(AppendStatements, ReadAndWriteShapes) {
  EXPECT_EQ(append::SelectAllStatement("Customers"), "SELECT * FROM [Customers]");
  EXPECT_EQ(append::SelectAllStatement("a]b"), "SELECT * FROM [a]]b]");
  EXPECT_EQ(InsertStatement(
                "T", {Value::Text("abc"), Value::Null(), Value::Text("it's"), Value::Text("12")}),
            "INSERT INTO [T] VALUES('abc', NULL, 'it''s', '12')");
  EXPECT_EQ(InsertStatement("x]", {Value::Text("a|mysepz123|b")}),
            "INSERT INTO [x]]] VALUES('a|mysepz123|b')");
  EXPECT_EQ(InsertStatement("]a]]", {Value::Text("'"), Value::Text("''x'"), Value::Null()}),
            "INSERT INTO []]a]]]]] VALUES('''', '''''x''', NULL)");
  EXPECT_EQ(InsertStatement(QString::fromUtf8("Kunden ä"),
                            {Value::Text(QString::fromUtf8("l'été")), Value::Text(""),
                             Value::Binary(QByteArray("\x0a\xff", 2)), Value::Binary({}),
                             Value::Text(QString(40, 'w'))}),
            QString::fromUtf8("INSERT INTO [Kunden ä] VALUES(N'l''été', '', 0x0AFF, 0x, '") +
                QString(40, 'w') + "')");
  EXPECT_EQ(InsertStatement("T", {}), "INSERT INTO [T] VALUES()");
  EXPECT_EQ(InsertStatement("T", {Value::Text(QString()), Value::Binary(QByteArray())}),
            "INSERT INTO [T] VALUES('', 0x)");
}

// The engine writes every row's INSERT into the same string: nothing of a longer statement
// may remain in a shorter one after it.
TEST(AppendStatements, AStringServingAgainHoldsOnlyTheLatestStatement) {
  QString statement;
  append::WriteInsertStatement(statement, "T", {Value::Text(QString(300, 'x')), Value::Null()});
  append::WriteInsertStatement(statement, "T", {Value::Text("y")});
  EXPECT_EQ(statement, "INSERT INTO [T] VALUES('y')");
  const QString copy = statement;  // shared storage must not be written through
  append::WriteInsertStatement(statement, "U", {Value::Null()});
  EXPECT_EQ(statement, "INSERT INTO [U] VALUES(NULL)");
  EXPECT_EQ(copy, "INSERT INTO [T] VALUES('y')");
}

TEST(RowBuffer, GivesBackEveryRowInOrderWithItsKindsAndCharacters) {
  const QString lone = QString(QChar(0xD800)) + "x";  // an unpaired surrogate, as nvarchar holds
  const std::vector<Row> rows = {
      {Value::Text("abc"), Value::Null(), Value::Text("it's"), Value::Text("12")},
      {Value::Text(""), Value::Text("|mysepz123|"), Value::Binary({}), Value::Null()},
      {Value::Text(QString::fromUtf8("Ελλάδα")), Value::Text(QString::fromUtf8("naïve")),
       Value::Binary(QByteArray("\x00\xff", 2)), Value::Text(lone)},
      {},
      {Value::Null()},
      {Value::Text(QString(300000, QChar(0x3042))), Value::Text(QString(5000000, 'z'))},
      {Value::Text("last")},
  };
  RowBuffer buffer;
  for (const Row& row : rows) buffer.Append(row);
  EXPECT_EQ(buffer.Count(), rows.size());
  RowBuffer::Reader reader = buffer.Read();
  Row row;
  for (const Row& expected : rows) {
    ASSERT_TRUE(reader.Next(row));
    EXPECT_EQ(row, expected);
  }
  EXPECT_FALSE(reader.Next(row));
  EXPECT_FALSE(RowBuffer().Read().Next(row));
}

// The reader writes each row into the values the given row already holds.
TEST(RowBuffer, ARowPassedAgainTakesTheNextRowWhateverItHeld) {
  const std::vector<Row> rows = {
      {Value::Text(QString(100, 'x')), Value::Binary("\x01\x02"), Value::Text("é"), Value::Null()},
      {Value::Text("short"), Value::Text("was binary"), Value::Binary("\xff"), Value::Text("")},
      {Value::Null(), Value::Null(), Value::Null()},
      {Value::Binary({}), Value::Text(QString::fromUtf8("Ελλάδα")), Value::Text("a"),
       Value::Text("b"), Value::Text("five")},
  };
  RowBuffer buffer;
  for (const Row& row : rows) buffer.Append(row);
  RowBuffer::Reader reader = buffer.Read();
  Row row = {Value::Text("stale"), Value::Binary("stale")};
  for (const Row& expected : rows) {
    ASSERT_TRUE(reader.Next(row));
    ASSERT_EQ(row, expected);
    for (const Value& value : row) {
      EXPECT_TRUE(value.kind == Value::Kind::Text || value.text.isEmpty());
      EXPECT_TRUE(value.kind == Value::Kind::Binary || value.bytes.isEmpty());
    }
  }
  EXPECT_FALSE(reader.Next(row));
}

TEST(RowBuffer, HoldsRowsInLittleMoreThanTheirText) {
  RowBuffer buffer;
  const Row row = {Value::Text("12345"), Value::Text("Smith"), Value::Text("2021-08-31"),
                   Value::Null(), Value::Text("ok")};
  const std::size_t text = 5 + 5 + 10 + 0 + 2;
  constexpr std::size_t kRows = 100000;
  for (std::size_t i = 0; i < kRows; ++i) buffer.Append(row);
  // A kind byte and a length byte a value, a field count a row, and the last block's room.
  EXPECT_LE(buffer.CapacityBytes(), kRows * (text + 11) + (std::size_t{1} << 20));
  EXPECT_GE(buffer.CapacityBytes(), kRows * (text + 11));
}

TEST(RefusedRows, ClosingMessageCountsRowsAndNamesUpToThreeMessages) {
  append::RefusedRows refused;
  EXPECT_EQ(refused.ClosingMessage(5), "Done.");
  refused.Add("A");
  EXPECT_EQ(refused.ClosingMessage(1),
            "Done.\r\n\r\n1 row appended, 1 refused by the server:\r\nA");
  for (const char* message : {"A", "B", "A", "C", "D"}) refused.Add(message);
  EXPECT_EQ(refused.Count(), 6);
  EXPECT_EQ(refused.ClosingMessage(998),
            "Done.\r\n\r\n998 rows appended, 6 refused by the server:\r\nA\r\nB\r\nC");
  EXPECT_EQ(refused.ClosingMessage(0).section("\r\n", 2, 2),
            "0 rows appended, 6 refused by the server:");
}

// On a case-sensitive collation the target's `a` and `A` would both take the source's `a`, and
// the source's `x` would be dropped: by name only when the match is one to one both ways.
TEST(ColumnPairs, ByNameOnlyWhenEveryColumnMatchesExactlyOne) {
  const auto table = [](std::initializer_list<const char*> names) {
    MSSQL::TableFacts facts;
    for (const char* name : names) facts.columns.push_back({name, "int"});
    facts.fieldCount = static_cast<int>(facts.columns.size());
    return facts;
  };
  EXPECT_FALSE(append::SourceColumnsByName(table({"a", "x"}), table({"a", "A"})));
  EXPECT_FALSE(append::SameColumnsInAnotherOrder(table({"a", "x"}), table({"A", "a"})));
  EXPECT_EQ(append::SourceColumnsByName(table({"b", "a"}), table({"A", "B"})),
            (std::vector<std::size_t>{1, 0}));
}
