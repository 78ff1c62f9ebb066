// The fast append against the append of one INSERT a row, on a live T-SQL server named by the
// OMBRELIA_TEST_* variables: 20,000 rows of 6 columns from Database #1 to Database #2, each way
// timed in the same run. Without a server the item is left out.

#include <QCoreApplication>
#include <memory>
#include <optional>
#include <stdexcept>

#include "answering_dialogs.h"
#include "append/append_engine.h"
#include "append/append_progress.h"
#include "controls/progress_bar.h"
#include "items.h"
#include "platform/adodb.h"
#include "shell/page.h"
#include "support/live_server.h"

namespace bench {
namespace {

constexpr int kRows = 20000;
const QString kSource = QStringLiteral("ombrelia_bench_source");
const QString kTarget = QStringLiteral("ombrelia_bench_target");
const QString kColumns = QStringLiteral(
    "(ID int, Name nvarchar(40), Amount decimal(12, 2), Created datetime2, Code varchar(10), "
    "Note nvarchar(40))");

std::unique_ptr<adodb::Connection> Connect(const ConnectionProfile& profile) {
  std::unique_ptr<adodb::Connection> connection = adodb::CreateOdbcConnection();
  connection->Open(BuildConnectionString(profile));
  return connection;
}

void Recreate(adodb::Connection& connection, const QString& table) {
  connection.Execute("IF OBJECT_ID(N'" + table + "', N'U') IS NOT NULL DROP TABLE " + table);
  connection.Execute("CREATE TABLE " + table + " " + kColumns);
}

void FillSource(adodb::Connection& connection) {
  Recreate(connection, kSource);
  connection.Execute(
      QStringLiteral(
          "WITH d AS (SELECT 0 AS n UNION ALL SELECT 1 UNION ALL SELECT 2 UNION ALL SELECT 3 "
          "UNION ALL SELECT 4 UNION ALL SELECT 5 UNION ALL SELECT 6 UNION ALL SELECT 7 UNION ALL "
          "SELECT 8 UNION ALL SELECT 9), i AS (SELECT a.n + 10 * b.n + 100 * c.n + 1000 * e.n + "
          "10000 * f.n + 1 AS n FROM d a, d b, d c, d e, d f) INSERT INTO %1 SELECT n, N'Customer "
          "' + CAST(n AS nvarchar(10)) + N' O''Neill', n * 1.25, '2024-01-02T03:04:05', 'C' + "
          "CAST(n AS varchar(9)), CASE WHEN n % 7 = 0 THEN NULL ELSE N'a note on row ' + CAST(n "
          "AS nvarchar(10)) END FROM i WHERE n <= %2")
          .arg(kSource)
          .arg(kRows));
}

int RowsIn(adodb::Connection& connection, const QString& table) {
  return connection.Execute("SELECT COUNT(*) FROM " + table)->FieldValue(0).text.toInt();
}

// The same login under another name of the server, so that the fast append writes batches.
ConnectionProfile AnotherName(ConnectionProfile profile) {
  profile.Server = profile.Server == QLatin1String("localhost") ? QStringLiteral("127.0.0.1")
                                                                : QStringLiteral("localhost");
  return profile;
}

}  // namespace

void FastAppendLive(Report& report) {
  const std::optional<ConnectionProfile> profile1 = LiveProfile(1);
  const std::optional<ConnectionProfile> profile2 = LiveProfile(2);
  if (!profile1 || !profile2) throw std::runtime_error(kNoLiveServer);
  const LiveDriver driver;
  std::unique_ptr<adodb::Connection> source = Connect(*profile1);
  std::unique_ptr<adodb::Connection> target = Connect(*profile2);
  FillSource(*source);
  Recreate(*target, kTarget);

  AnsweringDialogs dialogs;
  shell::Page page;
  ProgressBar bar(&page);
  const auto secondsOf = [&](bool fast, const ConnectionProfile& into) {
    target->Execute("TRUNCATE TABLE " + kTarget);
    append::AppendProgress progress(page, bar);
    const double seconds = Seconds([&] {
      append::AppendEngine({kSource, kTarget, false, *profile1, into, fast}, progress).Run();
    });
    if (RowsIn(*target, kTarget) != kRows || dialogs.LastMessage() != QLatin1String("Done.")) {
      throw std::runtime_error("an append did not write every row: " +
                               dialogs.LastMessage().toStdString());
    }
    return seconds;
  };
  const double perRow = secondsOf(false, *profile2);
  const double batches = secondsOf(true, AnotherName(*profile2));
  const double oneServer = secondsOf(true, *profile2);
  source->Execute("DROP TABLE " + kSource);
  target->Execute("DROP TABLE " + kTarget);

  const auto rate = [](double seconds) {
    return QString::number(kRows / seconds, 'f', 0) + QStringLiteral(" rows/s");
  };
  report.Add({QStringLiteral("7a. live append of 20,000 x 6: fast, batches, vs one INSERT a row"),
              rate(batches), rate(perRow), batches / perRow, 1.0 / 6, QString()});
  report.Add(
      {QStringLiteral("7b. live append of 20,000 x 6: fast, one server, vs one INSERT a row"),
       rate(oneServer), rate(perRow), oneServer / perRow, 1.0 / 50, QString()});
}

}  // namespace bench
