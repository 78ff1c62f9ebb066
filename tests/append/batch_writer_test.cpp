// The fast append's statements and its batches over the in-memory server.

#include <gtest/gtest.h>

#include "append/ways/append_statements.h"
#include "append/ways/batch_writer.h"
#include "support/fake_server.h"
#include "support/qt_printers.h"

using adodb::Value;
using append::BatchWriter;
using append::Row;

TEST(FastAppendStatements, ManyRowsInOneInsertAndTheServersOwnCopy) {
  const std::vector<Row> rows{{Value::Text("it's"), Value::Null()},
                              {Value::Text(QString::fromUtf8("é")), Value::Binary("\x01")}};
  QString statement;
  append::WriteInsertRowsStatement(statement, "T]1", rows.data(), 2);
  EXPECT_EQ(statement, QString::fromUtf8("INSERT INTO [T]]1] VALUES('it''s', NULL), (N'é', 0x01)"));
  append::WriteInsertRowsStatement(statement, "T", rows.data(), 1);
  EXPECT_EQ(statement, append::InsertStatement("T", rows[0]));
  EXPECT_EQ(append::InsertSelectStatement("Target", "db]2", "Source"),
            "INSERT INTO [Target] SELECT * FROM [db]]2]..[Source]");
}

namespace {

class BatchWriterTest : public ::testing::Test {
 protected:
  BatchWriterTest() {
    server.AddTable("db2", "T", {"id", "text"});
    target = adodb::CreateConnection();
    target->Open("Driver={SQL Server};Server=s,1433;Database=db2;Uid=u;Pwd=p;");
  }

  // Rows 1 to `count`, each with a text of `length` characters.
  int WriteRows(int count, int length = 1) {
    BatchWriter writer(*target, "T",
                       [this](const QString& text, const append::Row&) { refusals << text; });
    int written = 0;
    for (int id = 1; id <= count; ++id) {
      written += writer.Add({Value::Text(QString::number(id)), Value::Text(QString(length, 'x'))});
    }
    return written + writer.Flush();
  }

  std::size_t RowsInTarget() const { return server.FindTable("db2", "T")->rows.size(); }

  FakeServer server;
  std::unique_ptr<adodb::Connection> target;
  QStringList refusals;
};

}  // namespace

TEST_F(BatchWriterTest, AThousandRowsOrAFewMegabytesAStatement) {
  EXPECT_EQ(WriteRows(2500), 2500);
  ASSERT_EQ(server.Statements().size(), 3);
  EXPECT_EQ(server.Statements()[0].count("), ("), 999);
  EXPECT_EQ(server.Statements()[2].count("), ("), 499);
  EXPECT_EQ(RowsInTarget(), 2500u);
  EXPECT_EQ(server.FindTable("db2", "T")->rows[2499][0], Value::Text("2500"));

  // Rows of 400,000 characters: two fit under the bound, a third does not.
  EXPECT_EQ(WriteRows(5, 400'000), 5);
  const QStringList large = server.Statements().mid(3);
  ASSERT_EQ(large.size(), 3);
  for (const QString& statement : large) EXPECT_LE(statement.size(), BatchWriter::kMaxCharacters);
  EXPECT_TRUE(refusals.isEmpty());
}

TEST_F(BatchWriterTest, ARefusedBatchIsSplitUntilOnlyTheRefusedRowsAreLost) {
  server.RefuseStatements("'3'", "Conversion failed for row 3.");
  server.RefuseStatements("'7'", "Conversion failed for row 7.");
  EXPECT_EQ(WriteRows(10), 8);
  EXPECT_EQ(refusals,
            QStringList({"Conversion failed for row 3.", "Conversion failed for row 7."}));
  ASSERT_EQ(RowsInTarget(), 8u);
  QStringList ids;
  for (const auto& row : server.FindTable("db2", "T")->rows) ids << row[0].text;
  EXPECT_EQ(ids, QStringList({"1", "2", "4", "5", "6", "8", "9", "10"}));
}

TEST_F(BatchWriterTest, ALostConnectionEndsTheWritingWithNothingMoreSent) {
  server.LoseConnectionAfter(0, "Database=db2");
  try {
    WriteRows(10);
    FAIL() << "the loss was not raised";
  } catch (const adodb::Error& error) {
    EXPECT_TRUE(error.ConnectionLost());
  }
  EXPECT_EQ(server.Statements().size(), 1);
  EXPECT_TRUE(refusals.isEmpty());
}

// Rows that are all refused cost one statement a row, and one more; the limit of refused rows
// ends the writing with the rows after it unwritten.
TEST_F(BatchWriterTest, RowsAllRefusedCostAboutAStatementARowAndTheLimitEndsTheWriting) {
  server.RefuseStatements("INSERT", "Conversion failed.");
  EXPECT_EQ(WriteRows(2500), 0);
  EXPECT_EQ(refusals.size(), 2500);
  EXPECT_EQ(server.Statements().size(), 2501);

  BatchWriter writer(*target, "T", [this](const QString& text, const Row&) { refusals << text; });
  writer.StopAfterRefusedRows(3);
  for (int id = 1; id <= 10; ++id) writer.Add({Value::Text("x"), Value::Text("y")});
  writer.Flush();
  EXPECT_TRUE(writer.AtLimit());
  EXPECT_EQ(refusals.size(), 2503);
}
