// The append engine end to end through the real driver manager and the SQLite driver
// registered as "SQL Server", between two database files.

#include <gtest/gtest.h>

#include "append/engine/append_engine.h"
#include "append/page/append_progress.h"
#include "controls/progress_bar.h"
#include "shell/error_report.h"
#include "shell/page.h"
#include "support/read_rows.h"
#include "support/scripted_dialogs.h"
#include "support/sqlite_odbc.h"
#include "support/value_printer.h"

using adodb::Value;
using Rows = std::vector<std::vector<Value>>;

namespace {

class AppendOverOdbc : public ::testing::Test {
 protected:
  AppendOverOdbc()
      : database1_(sqlite_.NewDatabase("one.db")), database2_(sqlite_.NewDatabase("two.db")) {}

  static ConnectionProfile Profile(const QString& database) {
    return {"sqlite-host", "tester", "secret", database, "1433", ""};
  }

  // Rows go from `source` in database #2 into `target` in database #1.
  void AppendToDatabase1(const QString& target, const QString& source, bool fast = false) {
    append::AppendProgress progress(page_, bar_);
    append::AppendEngine engine(
        {target, source, true, Profile(database1_), Profile(database2_), fast}, progress);
    engine.Run();
  }

  Rows Select(const QString& database, const QString& sql) const {
    std::unique_ptr<adodb::Connection> connection = adodb::CreateOdbcConnection();
    connection->Open(SqliteOdbc::ConnectionString(database));
    return ReadRows(*connection->Execute(sql));
  }

  SqliteOdbc sqlite_;
  ScriptedDialogs dialogs_;
  shell::Page page_;
  ProgressBar bar_;
  QString database1_;
  QString database2_;
};

}  // namespace

TEST_F(AppendOverOdbc, CopiesEveryRowWithNullsApostrophesAndSeparatorTextIntact) {
  sqlite_.Exec(database2_, "CREATE TABLE [Old Orders] (id INTEGER, name TEXT, note TEXT)");
  sqlite_.Exec(database2_,
               "INSERT INTO [Old Orders] VALUES (1, 'it''s', NULL), (2, 'a|mysepz123|b', ''),"
               " (3, NULL, 'x''''y'), (4, '', 'end')");
  sqlite_.Exec(database1_, "CREATE TABLE Orders (n INTEGER, label TEXT, remark TEXT)");
  sqlite_.Exec(database1_, "INSERT INTO Orders VALUES (0, 'kept', 'kept')");
  AppendToDatabase1("Orders", "Old Orders");

  EXPECT_EQ(dialogs_.Texts(), QStringList({"Done."}));
  const Rows source = Select(database2_, "SELECT * FROM [Old Orders]");
  Rows expected = Select(database1_, "SELECT * FROM Orders WHERE n = 0");
  expected.insert(expected.end(), source.begin(), source.end());
  EXPECT_EQ(Select(database1_, "SELECT * FROM Orders ORDER BY n"), expected);
  EXPECT_EQ(Select(database1_, "SELECT remark IS NULL, label IS NULL FROM Orders WHERE n = 1"),
            Rows({{Value::Text("1"), Value::Text("0")}}));
  EXPECT_EQ(page_.MousePointer(), 0);
  EXPECT_EQ(bar_.Value(), 0);
  EXPECT_EQ(bar_.Text(), "Progress Bar");
}

// The fast append on a server without SQL Server's functions (no TOP, no COUNT_BIG, no tables of
// another database on one session), both databases reached by one login: the rows go in
// batches, each table looked at on its own login.
TEST_F(AppendOverOdbc, TheFastAppendGoesInBatchesWhereTheServerHasNoneOfItsFunctions) {
  sqlite_.Exec(database2_, "CREATE TABLE Source (id INTEGER, name TEXT)");
  sqlite_.Exec(database2_, "INSERT INTO Source VALUES (1, 'it''s'), (2, NULL), (3, '')");
  sqlite_.Exec(database1_, "CREATE TABLE Target (n INTEGER, label TEXT)");
  AppendToDatabase1("Target", "Source", true);
  EXPECT_EQ(dialogs_.Texts(), QStringList({"Done."}));
  EXPECT_EQ(Select(database1_, "SELECT * FROM Target ORDER BY n"),
            Select(database2_, "SELECT * FROM Source ORDER BY id"));
}

TEST_F(AppendOverOdbc, OneColumnNullAndEmptyRowsAreAppendedAndARefusedRowIsLostAlone) {
  sqlite_.Exec(database2_, "CREATE TABLE S (v TEXT)");
  sqlite_.Exec(database2_, "INSERT INTO S VALUES (NULL), (''), ('x'), (NULL)");
  sqlite_.Exec(database1_, "CREATE TABLE Loose (v TEXT)");
  sqlite_.Exec(database1_, "CREATE TABLE Strict (v TEXT NOT NULL)");

  AppendToDatabase1("Loose", "S");
  EXPECT_EQ(Select(database1_, "SELECT v FROM Loose"), Select(database2_, "SELECT v FROM S"));
  EXPECT_EQ(dialogs_.Texts(), QStringList({"Done."}));

  dialogs_.Clear();
  AppendToDatabase1("Strict", "S");
  EXPECT_EQ(Select(database1_, "SELECT v FROM Strict"),
            Rows({{Value::Text("")}, {Value::Text("x")}}));
  ASSERT_EQ(dialogs_.Boxes().size(), 2u);
  EXPECT_EQ(dialogs_.Boxes()[0].title, "Application Error");
  EXPECT_TRUE(dialogs_.Boxes()[0].text.contains("NOT NULL"))
      << dialogs_.Boxes()[0].text.toStdString();
  EXPECT_TRUE(dialogs_.Boxes()[1].text.startsWith(
      "Done.\r\n\r\n2 rows appended, 2 refused by the server:\r\n"));
}

TEST_F(AppendOverOdbc, AMissingSourceTableEndsTheRunAtTheFieldCount) {
  sqlite_.Exec(database1_, "CREATE TABLE T (v TEXT)");
  AppendToDatabase1("T", "Gone");
  // One report, and nothing after it: no follow-up error, no field-count message.
  ASSERT_EQ(dialogs_.Texts().size(), 1);
  EXPECT_TRUE(dialogs_.Texts()[0].contains("Gone")) << dialogs_.Texts()[0].toStdString();
  EXPECT_TRUE(dialogs_.Texts()[0].contains("at line 128"));
  EXPECT_TRUE(Select(database1_, "SELECT * FROM T").empty());
}
