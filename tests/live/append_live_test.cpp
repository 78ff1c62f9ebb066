// The append engine against a live SQL Server named by the environment (see live_server.h).

#include <gtest/gtest.h>

#include <QUuid>
#include <clocale>
#include <string>
#include <utility>

#include "append/append_engine.h"
#include "append/append_progress.h"
#include "controls/progress_bar.h"
#include "platform/ado_errors.h"
#include "platform/dialogs.h"
#include "shell/page.h"
#include "support/live_server.h"
#include "support/read_rows.h"
#include "support/scripted_dialogs.h"
#include "support/sqlite_odbc.h"
#include "support/value_printer.h"

using adodb::Value;
using Rows = std::vector<std::vector<Value>>;

namespace {

std::unique_ptr<adodb::Connection> Connect(const ConnectionProfile& profile) {
  std::unique_ptr<adodb::Connection> connection = adodb::CreateOdbcConnection();
  connection->Open(BuildConnectionString(profile));
  return connection;
}

Rows Select(const ConnectionProfile& profile, const QString& sql) {
  std::unique_ptr<adodb::Connection> connection = Connect(profile);
  return ReadRows(*connection->Execute(sql));
}

// A table of the test's own on the live server, dropped when the test ends.
class LiveTable {
 public:
  LiveTable(ConnectionProfile profile, const QString& columns)
      : profile_(std::move(profile)),
        name_("ombrelia_test_" + QUuid::createUuid().toString(QUuid::Id128).left(12)) {
    Connect(profile_)->Execute("CREATE TABLE [" + name_ + "] (" + columns + ")");
  }
  ~LiveTable() {
    try {
      Connect(profile_)->Execute("DROP TABLE [" + name_ + "]");
    } catch (const adodb::Error& error) {
      ADD_FAILURE() << "could not drop " << name_.toStdString() << ": "
                    << error.Description().toStdString();
    }
  }
  const QString& Name() const { return name_; }
  void Execute(const QString& sql) const { Connect(profile_)->Execute(sql); }
  Rows Contents(const QString& order) const {
    return Select(profile_, "SELECT * FROM [" + name_ + "] ORDER BY " + order);
  }

 private:
  ConnectionProfile profile_;
  QString name_;
};

// The two logins of the live server, or nothing; a run under a locale this machine lacks is
// skipped too, since it would prove nothing about that locale.
std::optional<std::pair<ConnectionProfile, ConnectionProfile>> LiveProfiles(std::string& why) {
  const std::optional<ConnectionProfile> profile1 = LiveProfile(1);
  const std::optional<ConnectionProfile> profile2 = LiveProfile(2);
  why = kNoLiveServer;
  if (!profile1 || !profile2) return std::nullopt;
  const QString wanted = qEnvironmentVariable("LC_ALL");
  const QString active = QString::fromLatin1(std::setlocale(LC_CTYPE, nullptr));
  why = "the locale " + wanted.toStdString() + " is not installed on this machine";
  if (!wanted.isEmpty() && !active.startsWith(wanted.left(5))) return std::nullopt;
  return std::make_pair(*profile1, *profile2);
}

void RunAppend(const ConnectionProfile& profile1, const ConnectionProfile& profile2,
               const QString& table1, const QString& table2, bool toDatabase1, bool fast = false) {
  shell::Page page;
  ProgressBar bar;
  append::AppendProgress progress(page, bar);
  append::AppendEngine({table1, table2, toDatabase1, profile1, profile2, fast}, progress).Run();
}

// The same login under another name of the same server: the fast append then takes it for
// another server and writes batches instead of having the server copy the rows.
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

TEST(AppendLive, CopiesEveryTypeValueForValueBetweenTwoDatabases) {
  std::string why;
  const auto profiles = LiveProfiles(why);
  if (!profiles) GTEST_SKIP() << why;
  const auto& [profile1, profile2] = *profiles;
  const LiveDriver driver;
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
TEST(AppendLive, FloatsGoIntoDecimalIntAndTextColumnsAsTheirNumber) {
  std::string why;
  const auto profiles = LiveProfiles(why);
  if (!profiles) GTEST_SKIP() << why;
  const auto& [profile1, profile2] = *profiles;
  const LiveDriver driver;
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

TEST(AppendLive, CopiesNumbersDatesTextAndNullsBetweenTwoDatabases) {
  const std::optional<ConnectionProfile> profile1 = LiveProfile(1);
  const std::optional<ConnectionProfile> profile2 = LiveProfile(2);
  if (!profile1 || !profile2) GTEST_SKIP() << kNoLiveServer;
  const LiveDriver driver;
  const QString columns =
      "id int, amount decimal(12, 3), day date, moment datetime, name nvarchar(40), note "
      "varchar(40)";
  const LiveTable source(*profile2, columns);
  const LiveTable target(*profile1, columns);
  source.Execute("INSERT INTO [" + source.Name() +
                 "] VALUES (1, 12.5, '2021-08-31', '2021-08-31T23:59:58.997', N'Ελλάδα ''n'' "
                 "naïve', 'a|mysepz123|b'), (2, NULL, NULL, NULL, NULL, NULL), (3, -0.001, "
                 "'1900-01-01', '2000-02-29T00:00:00', N'', '')");

  ScriptedDialogs dialogs;
  RunAppend(*profile1, *profile2, target.Name(), source.Name(), true);

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
TEST(AppendLiveLoss, ASessionEndedFromOutsideEndsTheAppendAtOnce) {
  std::string why;
  const auto profiles = LiveProfiles(why);
  if (!profiles) GTEST_SKIP() << why;
  const auto& [profile1, profile2] = *profiles;
  const LiveDriver driver;
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
            "connection was lost; the other 60 rows were not written.");
  EXPECT_EQ(target.Contents("id").size(), 40u);
}

// Both fast ways copy every kind of value exactly: the server's own copy, and the batches.
TEST(AppendLiveFast, BothWaysCopyEveryTypeValueForValue) {
  std::string why;
  const auto profiles = LiveProfiles(why);
  if (!profiles) GTEST_SKIP() << why;
  const auto& [profile1, profile2] = *profiles;
  const LiveDriver driver;
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

// A batch holding one row the server refuses writes all the others.
TEST(AppendLiveFast, ABatchWithOneBadRowWritesAllTheOthers) {
  std::string why;
  const auto profiles = LiveProfiles(why);
  if (!profiles) GTEST_SKIP() << why;
  const auto& [profile1, profile2] = *profiles;
  const LiveDriver driver;
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
