// The append engine against a live SQL Server named by the environment (see live_server.h).

#include <gtest/gtest.h>

#include <QFile>
#include <QUuid>
#include <clocale>
#include <string>
#include <utility>

#include "append/engine/append_engine.h"
#include "append/page/append_progress.h"
#include "controls/progress_bar.h"
#include "platform/desktop/dialogs.h"
#include "platform/odbc/ado_errors.h"
#include "shell/page.h"
#include "support/live_append.h"
#include "support/live_server.h"
#include "support/read_rows.h"
#include "support/scripted_dialogs.h"
#include "support/sqlite_odbc.h"
#include "support/value_printer.h"

using adodb::Value;
using Rows = std::vector<std::vector<Value>>;

namespace {

using AppendLive = LiveAppend;
using AppendLiveLoss = LiveAppend;
using AppendLiveFast = LiveAppend;
using AppendLiveRefused = LiveAppend;

// The same login under another name of the same server: two logins of their own, which the
// servers prove to reach one instance, so the fast append still has the server copy the rows
// (and a copy the server refuses goes in batches).
ConnectionProfile AsAnotherServer(ConnectionProfile profile) {
  profile.Server = profile.Server == QLatin1String("127.0.0.1") ? QStringLiteral("localhost")
                                                                : QStringLiteral("127.0.0.1");
  return profile;
}

const char kEveryType[] =
    "id int, i int, big bigint, dec decimal(38, 10), cash money, f float, r real, flag bit, "
    "day date, t time(7), dt datetime, dt2 datetime2(7), dto datetimeoffset, "
    "guid uniqueidentifier, bin varbinary(max), long nvarchar(max), pad char(10), doc xml, "
    "v sql_variant, name nvarchar(100), note varchar(100)";

// Extremes, round numbers, empty values, NULL in every column, and text that tests the
// statement's quoting and the driver's text handling.
const char kEveryValue[] =
    "(1, 2147483647, 9223372036854775807, 1234567890123456789012345678.0123456789, "
    "922337203685477.5807, 0.1, 0.1, 1, '2021-08-31', '23:59:59.1234567', "
    "'2021-08-31T23:59:58.997', '2021-08-31T23:59:59.1234567', "
    "'2021-08-31T23:59:59.1234567+02:00', '6F9619FF-8B86-D011-B42D-00C04FC964FF', 0x00FF10, "
    "REPLICATE(CAST(N'ab' AS nvarchar(max)), 50000), 'ab', '<a b=\"1\">t</a>', "
    "CAST(0.1 AS float), N'Ελλάδα 中文 😀', 'it''s'), "
    "(2, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, "
    "NULL, NULL, NULL, NULL, NULL, NULL), "
    "(3, -2147483648, 100000, 100000, 100000, 100000, 1000000, 0, '0001-01-01', '00:00:00', "
    "'1753-01-01T00:00:00', '0001-01-01T00:00:00', '0001-01-01T00:00:00+00:00', "
    "'00000000-0000-0000-0000-000000000000', 0x, N'', '', '<x/>', N'text', "
    "NCHAR(65279) + N'bom', '|mysepz123|'), "
    "(4, 0, -1, 0.0001, -0.0001, 0.0001, 0.0001, 1, '9999-12-31', '12:00:00.5', "
    "'9999-12-31T23:59:59.997', '9999-12-31T23:59:59.9999999', "
    "'9999-12-31T23:59:59.9999999+14:00', 'FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF', 0x00, "
    "N' ', ' ', '<y>&amp;</y>', 1000000, N'', '')";

}  // namespace

TEST_F(AppendLive, CopiesEveryTypeValueForValueBetweenTwoDatabases) {
  const LiveTable source(profile2, kEveryType);
  const LiveTable target(profile1, kEveryType);
  source.Execute("INSERT INTO [" + source.Name() + "] VALUES " + kEveryValue);

  ScriptedDialogs dialogs;
  RunAppend(profile1, profile2, target.Name(), source.Name(), true);

  EXPECT_EQ(dialogs.Texts(), QStringList({"Done."}));
  const Rows written = target.Contents("id");
  ASSERT_EQ(written.size(), 4u);
  const Rows read = source.Contents("id");
  for (std::size_t row = 0; row < read.size(); ++row) {
    for (std::size_t column = 0; column < read[row].size(); ++column) {
      EXPECT_EQ(written[row][column], read[row][column])
          << "row " << row + 1 << ", column " << column + 1;
    }
  }
  EXPECT_EQ(written[0][15].text.size(), 100000);
  EXPECT_EQ(written[0][19], Value::Text(QString::fromUtf8("Ελλάδα 中文 😀")));
  EXPECT_EQ(written[2][19], Value::Text(QChar(0xFEFF) + QStringLiteral("bom")));
  EXPECT_EQ(written[2][20], Value::Text("|mysepz123|"));
  EXPECT_EQ(written[2][14], Value::Binary({}));
  // The sql_variant's number is turned into text by the driver, not by the program.
  EXPECT_EQ(written[0][18].text.left(3), "0.1");
  for (std::size_t column = 1; column < written[1].size(); ++column) {
    EXPECT_TRUE(written[1][column].IsNull()) << "column " << column + 1;
  }
}

// Floats go into other kinds of columns as the number they hold: round ones without an
// exponent, which int columns refuse and which would alter the text of a character column.
TEST_F(AppendLive, FloatsGoIntoDecimalIntAndTextColumnsAsTheirNumber) {
  const LiveTable source(profile1, "id int, f float, r real, g float, c float");
  const LiveTable target(profile2, "id int, f decimal(38, 10), r int, g varchar(40), c money");
  source.Execute("INSERT INTO [" + source.Name() +
                 "] VALUES (1, 100000, 100000, 100000, 100000), "
                 "(2, 1000000, 1000000, 0.0001, 1000000), (3, 0.0001, NULL, 1e20, 0.0001)");

  ScriptedDialogs dialogs;
  dialogs.Answer(dialogs::vbYes);  // the float column facing the varchar one is appended as asked
  RunAppend(profile1, profile2, source.Name(), target.Name(), false);

  EXPECT_EQ(dialogs.Texts().size(), 2);
  EXPECT_EQ(dialogs.Texts().value(1), "Done.");
  const Rows written =
      Select(profile2, "SELECT id, CAST(f AS float), r, g, CAST(c AS float) FROM [" +
                           target.Name() + "] ORDER BY id");
  const auto texts = [](const std::vector<Value>& row) {
    QStringList list;
    for (const Value& value : row) list << (value.IsNull() ? QStringLiteral("NULL") : value.text);
    return list.join(QLatin1Char(' ')).toStdString();
  };
  ASSERT_EQ(written.size(), 3u);
  EXPECT_EQ(texts(written[0]), "1 100000 100000 100000 100000");
  EXPECT_EQ(texts(written[1]), "2 1000000 1000000 0.0001 1000000");
  EXPECT_EQ(texts(written[2]), "3 0.0001 NULL 100000000000000000000 0.0001");
}

TEST_F(AppendLive, CopiesNumbersDatesTextAndNullsBetweenTwoDatabases) {
  const QString columns =
      "id int, amount decimal(12, 3), day date, moment datetime, name nvarchar(40), note "
      "varchar(40)";
  const LiveTable source(profile2, columns);
  const LiveTable target(profile1, columns);
  source.Execute("INSERT INTO [" + source.Name() +
                 "] VALUES (1, 12.5, '2021-08-31', '2021-08-31T23:59:58.997', N'Ελλάδα ''n'' "
                 "naïve', 'a|mysepz123|b'), (2, NULL, NULL, NULL, NULL, NULL), (3, -0.001, "
                 "'1900-01-01', '2000-02-29T00:00:00', N'', '')");

  ScriptedDialogs dialogs;
  RunAppend(profile1, profile2, target.Name(), source.Name(), true);

  EXPECT_EQ(dialogs.Texts(), QStringList({"Done."}));
  const Rows written = target.Contents("id");
  EXPECT_EQ(written, source.Contents("id"));
  ASSERT_EQ(written.size(), 3u);
  EXPECT_EQ(written[0][4], Value::Text(QString::fromUtf8("Ελλάδα 'n' naïve")));
  EXPECT_TRUE(written[1][1].IsNull());
}

namespace {

// A connection that has the server end its own session once it has sent `killAfter` statements
// without a result: another connection of the same login runs KILL on its session id.
class SessionEndingConnection : public adodb::Connection {
 public:
  SessionEndingConnection(ConnectionProfile admin, int killAfter)
      : inner_(adodb::CreateOdbcConnection()), admin_(std::move(admin)), killAfter_(killAfter) {}

  void SetMode(int mode) override { inner_->SetMode(mode); }
  void SetCommandTimeout(int seconds) override { inner_->SetCommandTimeout(seconds); }
  void SetConnectionTimeout(int seconds) override { inner_->SetConnectionTimeout(seconds); }
  void SetCursorLocation(int location) override { inner_->SetCursorLocation(location); }
  void Open(const QString& connectionString) override {
    inner_->Open(connectionString);
    session_ = ReadRows(*inner_->Execute("SELECT @@SPID")).at(0).at(0).text;
  }
  std::unique_ptr<adodb::Recordset> Execute(const QString& statement) override {
    return inner_->Execute(statement);
  }
  qint64 ExecuteNoRecords(const QString& statement) override {
    if (sent_++ == killAfter_) Connect(admin_)->ExecuteNoRecords("KILL " + session_);
    return inner_->ExecuteNoRecords(statement);
  }
  std::unique_ptr<adodb::Recordset> Describe(const QString& statement) override {
    return inner_->Describe(statement);
  }
  QString DefaultDatabase() override { return inner_->DefaultDatabase(); }
  std::unique_ptr<adodb::Recordset> OpenSchema(int schema) override {
    return inner_->OpenSchema(schema);
  }
  std::unique_ptr<adodb::Recordset> OpenRecordset(const QString& source, int cursorType,
                                                  int lockType) override {
    return inner_->OpenRecordset(source, cursorType, lockType);
  }
  void Cancel() override { inner_->Cancel(); }

 private:
  std::unique_ptr<adodb::Connection> inner_;
  ConnectionProfile admin_;
  int killAfter_;
  int sent_ = 0;
  QString session_;
};

}  // namespace

// The server ends the target's session after 40 rows: one report, and a closing message that
// counts the rows written and not written.
TEST_F(AppendLiveLoss, ASessionEndedFromOutsideEndsTheAppendAtOnce) {
  const LiveTable source(profile2, "id int");
  const LiveTable target(profile1, "id int");
  source.Execute("INSERT INTO [" + source.Name() +
                 "] SELECT TOP 100 ROW_NUMBER() OVER (ORDER BY (SELECT 1)) FROM sys.columns a, "
                 "sys.columns b");
  adodb::SetConnectionProvider([&]() -> std::unique_ptr<adodb::Connection> {
    return std::make_unique<SessionEndingConnection>(profile1, 40);
  });
  ScriptedDialogs dialogs;
  RunAppend(profile1, profile2, target.Name(), source.Name(), true);
  adodb::SetConnectionProvider({});

  ASSERT_EQ(dialogs.Texts().size(), 2);
  EXPECT_TRUE(dialogs.Texts()[0].contains("Form3.PushButton2_Click at line 148"));
  EXPECT_EQ(dialogs.Texts()[1],
            "The connection to Database #1 was lost.\r\n\r\n40 rows were appended before the "
            "connection was lost; the other 60 rows were not written.\r\n\r\nThe target "
            "table's growth could not be checked: the connection to it was lost.");
  EXPECT_EQ(target.Contents("id").size(), 40u);
}

// Both fast ways copy every kind of value exactly: the server's own copy, and the batches.
TEST_F(AppendLiveFast, BothWaysCopyEveryTypeValueForValue) {
  const LiveTable source(profile2, kEveryType);
  source.Execute("INSERT INTO [" + source.Name() + "] VALUES " + kEveryValue);
  for (const bool batches : {false, true}) {
    const LiveTable target(profile1, kEveryType);
    ScriptedDialogs dialogs;
    RunAppend(profile1, batches ? AsAnotherServer(profile2) : profile2, target.Name(),
              source.Name(), true, true);
    EXPECT_EQ(dialogs.Texts(), QStringList({"Done."})) << "batches: " << batches;
    EXPECT_EQ(target.Contents("id"), source.Contents("id")) << "batches: " << batches;
  }
}

// One login on two databases: the dry run tells the server's own copy, and that copy takes only
// the rows the condition holds for.
TEST_F(AppendLiveFast, TheServersCopyTakesOnlyTheRowsOfTheCondition) {
  const LiveTable source(profile2, "id int");
  source.Execute("INSERT INTO [" + source.Name() + "] VALUES (1), (2), (3)");
  const LiveTable target(profile1, "id int");
  ScriptedDialogs dialogs;
  shell::Page page;
  ProgressBar bar;
  append::AppendProgress progress(page, bar);
  append::AppendRequest request{target.Name(), source.Name(), true, profile1, profile2, true};
  request.where = QStringLiteral("id <> 2");
  const auto plan = append::AppendEngine(request, progress).DryRun();
  ASSERT_TRUE(plan.has_value());
  EXPECT_EQ(plan->way, append::AppendEngine::Way::ServerCopy);
  EXPECT_EQ(plan->sourceRows, 2);
  append::AppendEngine engine(request, progress);
  engine.Run();
  EXPECT_EQ(engine.Result().appended, 2);
  EXPECT_EQ(target.Contents("id").size(), 2u);
}

// A batch holding one row the server refuses writes all the others.
TEST_F(AppendLiveFast, ABatchWithOneBadRowWritesAllTheOthers) {
  const LiveTable source(profile2, "id int, amount varchar(10)");
  const LiveTable target(profile1, "id int, amount int");
  source.Execute("INSERT INTO [" + source.Name() +
                 "] VALUES (1, '10'), (2, '20'), (3, 'x'), (4, '40'), (5, '50')");
  ScriptedDialogs dialogs;
  dialogs.Answer(dialogs::vbYes);  // text facing a number is appended as asked
  RunAppend(profile1, AsAnotherServer(profile2), target.Name(), source.Name(), true, true);
  ASSERT_EQ(dialogs.Texts().size(), 3);
  EXPECT_TRUE(dialogs.Texts()[1].contains("Form3.PushButton2_Click at line 148"));
  EXPECT_TRUE(
      dialogs.Texts()[2].startsWith("Done.\r\n\r\n4 rows appended, 1 refused by the server:"));
  QStringList ids;
  for (const auto& row : target.Contents("id")) ids << row[0].text;
  EXPECT_EQ(ids, QStringList({"1", "2", "4", "5"}));
}

namespace {

// The lines of an RFC 4180 file, field by field: a quoted field is text, an empty one NULL.
Rows ReadCsv(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QString text = QString::fromUtf8(file.readAll());
  Rows lines(1);
  QString field;
  bool quoted = false;
  bool inQuotes = false;
  const auto endField = [&] {
    lines.back().push_back(quoted || !field.isEmpty() ? Value::Text(field) : Value::Null());
    field.clear();
    quoted = false;
  };
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (inQuotes && c == u'"' && text.mid(i, 2) == "\"\"") {
      field += c;
      ++i;
    } else if (c == u'"') {
      inQuotes = !inQuotes;
      quoted = true;
    } else if (!inQuotes && c == u',') {
      endField();
    } else if (!inQuotes && text.mid(i, 2) == "\r\n") {
      endField();
      lines.emplace_back();
      ++i;
    } else {
      field += c;
    }
  }
  lines.pop_back();  // after the last line's end
  return lines;
}

// The key taken (1), the CHECK broken (3) and the value too long (4) are refused; their values
// test the file's quoting.
const char kRefusingTarget[] =
    "id int PRIMARY KEY, name nvarchar(40), code varchar(5), n int CHECK (n >= 0), "
    "bin varbinary(10)";
const char kRefusedSource[] =
    "id int, name nvarchar(40), code varchar(20), n int, bin varbinary(10)";
const char kRefusedRows[] =
    "(1, N'Ελλάδα 😀 中文', 'x', 7, 0x00FF10), (2, N'plain', 'ok', 2, NULL), "
    "(3, NULL, '', -1, 0x), (4, N'say \"hi\", then' + CHAR(13) + CHAR(10) + N'bye', "
    "'too, long', 5, NULL), (5, N'', NULL, 0, NULL)";

}  // namespace

// Per row, in batches, and in batches after the server refused its own copy: the rows the
// target refuses are in the file, each once, with the source's values; the others are written.
TEST_F(AppendLiveRefused, TheRefusedRowsAreKeptInAFileWithTheSourcesValues) {
  const LiveTable source(profile2, kRefusedSource);
  source.Execute("INSERT INTO [" + source.Name() + "] VALUES " + kRefusedRows);
  Rows refused = source.Contents("id");
  refused.erase(refused.begin() + 4);
  refused.erase(refused.begin() + 1);
  for (std::vector<Value>& row : refused) {
    if (row[4].kind == Value::Kind::Binary) {
      row[4] = Value::Text("0x" + QString::fromLatin1(row[4].bytes.toHex().toUpper()));
    }
  }
  const std::pair<bool, ConnectionProfile> ways[] = {
      {false, profile2}, {true, AsAnotherServer(profile2)}, {true, profile2}};
  for (const auto& [fast, from] : ways) {
    const LiveTable target(profile1, kRefusingTarget);
    target.Execute("INSERT INTO [" + target.Name() + "] VALUES (1, N'taken', 'e', 0, NULL)");
    ScriptedDialogs dialogs;
    const auto outcome = RunAppend(profile1, from, target.Name(), source.Name(), true, fast);
    const std::string way = fast ? from.Server.toStdString() : "per row";
    EXPECT_EQ(outcome.appended, 2) << way;
    EXPECT_EQ(outcome.refused, 3) << way;
    EXPECT_EQ(outcome.targetRows, 3) << way;
    EXPECT_TRUE(
        dialogs.Texts().last().endsWith("The refused rows are in " + outcome.refusedFile + '.'))
        << way;
    EXPECT_EQ(QFile::permissions(outcome.refusedFile),
              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser)
        << way;
    Rows lines = ReadCsv(outcome.refusedFile);
    ASSERT_EQ(lines.size(), 4u) << way;
    EXPECT_EQ(lines[0],
              (std::vector<Value>{Value::Text("id"), Value::Text("name"), Value::Text("code"),
                                  Value::Text("n"), Value::Text("bin"), Value::Text("error")}));
    lines.erase(lines.begin());
    std::sort(lines.begin(), lines.end(),
              [](const auto& a, const auto& b) { return a[0].text.toInt() < b[0].text.toInt(); });
    for (std::vector<Value>& line : lines) {
      EXPECT_FALSE(line.back().text.isEmpty()) << way;  // the server's text for the row
      line.pop_back();
    }
    EXPECT_EQ(lines, refused) << way;
    QStringList ids;
    for (const auto& row : target.Contents("id")) ids << row[0].text;
    EXPECT_EQ(ids, QStringList({"1", "2", "5"})) << way;
  }
}

// A trigger that deletes a row at every INSERT: the target grows by less than the rows
// appended, and the closing message says so.
TEST_F(AppendLiveRefused, ATriggerThatDeletesMakesTheAfterCheckSpeak) {
  const LiveTable source(profile2, "id int");
  source.Execute("INSERT INTO [" + source.Name() + "] VALUES (1), (2), (3), (4)");
  const LiveTable target(profile1, "id int");
  target.Execute("INSERT INTO [" + target.Name() + "] VALUES (100), (101), (102), (103)");
  target.Execute("CREATE TRIGGER [" + target.Name() + "_d] ON [" + target.Name() +
                 "] AFTER INSERT AS BEGIN DELETE TOP (1) FROM [" + target.Name() +
                 "] WHERE id >= 100 END");
  ScriptedDialogs dialogs;
  const auto outcome = RunAppend(profile1, profile2, target.Name(), source.Name(), true);
  EXPECT_EQ(dialogs.Texts(),
            QStringList({"Done.\r\n\r\nThe target table grew by 0 rows, but 4 were appended: "
                         "another program may have changed it meanwhile."}));
  EXPECT_EQ(outcome.targetRows, 4);

  // The server's own copy counts its own rows, not the trigger's.
  dialogs.Clear();
  const auto copied = RunAppend(profile1, profile2, target.Name(), source.Name(), true, true);
  EXPECT_EQ(copied.appended, 4);
}
