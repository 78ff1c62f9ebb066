// The look before a positional append: which facing columns differ, and the question asked.

#include <gtest/gtest.h>

#include "append/engine/column_pairs.h"
#include "support/qt_printers.h"

using MSSQL::ColumnFacts;
using MSSQL::TableFacts;

namespace {
ColumnFacts Column(const char* name, const char* type, bool computed = false) {
  ColumnFacts column;
  column.name = name;
  column.type = type;
  column.computed = computed;
  return column;
}
}  // namespace

TEST(ColumnPairs, PairsDifferingInNameOrKindAreListedAndTheTargetsOwnColumnsAreNot) {
  TableFacts source;
  source.columns = {Column("ID", "int"), Column("Name", "varchar"), Column("Total", "decimal"),
                    Column("Note", "nvarchar"), Column("Stamp", "varbinary")};
  TableFacts target;
  target.columns = {Column("id", "bigint"), Column("Name", "nchar"), Column("Placed", "datetime"),
                    Column("Memo", "ntext"), Column("Sum", "int", true)};
  EXPECT_EQ(append::DifferingPairs(source, target),
            QStringList(
                {"3: Total (decimal) -> Placed (datetime)", "4: Note (nvarchar) -> Memo (ntext)"}));
  EXPECT_TRUE(append::DifferingPairs(source, source).isEmpty());
}

TEST(ColumnPairs, TheQuestionListsTenPairsAndCountsTheRest) {
  QStringList pairs;
  for (int i = 1; i <= 12; ++i) pairs << QStringLiteral("%1: a (int) -> b (int)").arg(i);
  const QString question = append::PositionalAppendQuestion(pairs);
  EXPECT_TRUE(question.contains("10: a (int) -> b (int)\r\n... and 2 more"));
  EXPECT_FALSE(question.contains("11: "));
  EXPECT_TRUE(question.endsWith("\r\n\r\nAppend by position anyway?"));
  EXPECT_EQ(append::KindOf("DateTimeOffset"), "date and time");
  EXPECT_EQ(append::KindOf("xml"), "other");
}
