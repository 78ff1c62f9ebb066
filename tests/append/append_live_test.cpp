// The append engine against a live SQL Server named by the environment (see live_server.h).

#include <gtest/gtest.h>

#include <QUuid>

#include "append/append_engine.h"
#include "append/append_progress.h"
#include "controls/progress_bar.h"
#include "platform/ado_errors.h"
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

}  // namespace

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
  shell::Page page;
  ProgressBar bar;
  append::AppendProgress progress(page, bar);
  append::AppendEngine({target.Name(), source.Name(), true, *profile1, *profile2}, progress).Run();

  EXPECT_EQ(dialogs.Texts(), QStringList({"Done."}));
  const Rows written = target.Contents("id");
  EXPECT_EQ(written, source.Contents("id"));
  ASSERT_EQ(written.size(), 3u);
  EXPECT_EQ(written[0][4], Value::Text(QString::fromUtf8("Ελλάδα 'n' naïve")));
  EXPECT_TRUE(written[1][1].IsNull());
}
