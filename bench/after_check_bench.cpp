// The after-check's cost on a live T-SQL server named by the OMBRELIA_TEST_* variables: the two
// counts a run makes of its target, on a target of 1,000,000 rows, through the program's own
// connection and statement, beside the whole fast append of 20,000 rows into that target that
// pays them. Without a server the item is left out.

#include <memory>
#include <optional>
#include <stdexcept>

#include "answering_dialogs.h"
#include "append/engine/append_engine.h"
#include "append/page/append_progress.h"
#include "append/ways/append_statements.h"
#include "bare_odbc.h"
#include "controls/progress_bar.h"
#include "items.h"
#include "platform/odbc/adodb.h"
#include "shell/page.h"
#include "support/live_server.h"

namespace bench {
namespace {

constexpr int kTargetRows = 1000000;
constexpr int kAppendedRows = 20000;
constexpr int kCountRuns = 7;
constexpr int kAppendRuns = 3;
const QString kTarget = QStringLiteral("ombrelia_bench_checked");
const QString kSource = QStringLiteral("ombrelia_bench_appended");

// `rows` rows of (n, 'row n'), numbered from the catalogue's columns joined with themselves.
void Fill(BareOdbc& connection, const QString& table, int rows) {
  connection.Execute("IF OBJECT_ID(N'" + table + "', N'U') IS NOT NULL DROP TABLE " + table);
  connection.Execute("CREATE TABLE " + table + " (ID int, Note nvarchar(20))");
  connection.Execute(QStringLiteral("INSERT INTO %1 SELECT n, N'row ' + CAST(n AS nvarchar(10)) "
                                    "FROM (SELECT TOP (%2) ROW_NUMBER() OVER (ORDER BY (SELECT 1)) "
                                    "AS n FROM sys.columns a, sys.columns b, sys.columns c) i")
                         .arg(table)
                         .arg(rows));
  if (connection.Scalar("SELECT COUNT(*) FROM " + table).toInt() != rows) {
    throw std::runtime_error("could not fill " + table.toStdString());
  }
}

// The two counts of a run, as the engine sends them on its target's connection.
double TwoCounts(adodb::Connection& target) {
  return Seconds([&] {
    for (int count = 0; count < 2; ++count) {
      const std::unique_ptr<adodb::Recordset> result =
          target.Execute(append::CountStatement(kTarget));
      if (result->FieldValue(0).text.toLongLong() < kTargetRows) {
        throw std::runtime_error("the target lost rows");
      }
    }
  });
}

// A whole fast append of the source into the target, its after-check included.
double FastAppend(const ConnectionProfile& profile1, const ConnectionProfile& profile2) {
  AnsweringDialogs dialogs;
  shell::Page page;
  ProgressBar bar(&page);
  append::AppendProgress progress(page, bar);
  const double seconds = Seconds([&] {
    append::AppendEngine({kTarget, kSource, true, profile1, profile2, true}, progress).Run();
  });
  if (dialogs.LastMessage() != QLatin1String("Done.")) {
    throw std::runtime_error("the append ended with: " + dialogs.LastMessage().toStdString());
  }
  return seconds;
}

}  // namespace

void AfterCheckLive(Report& report) {
  const std::optional<ConnectionProfile> profile1 = LiveProfile(1);
  const std::optional<ConnectionProfile> profile2 = LiveProfile(2);
  if (!profile1 || !profile2) throw std::runtime_error(kNoLiveServer);
  const LiveDriver driver;
  BareOdbc database1(BuildConnectionString(*profile1));
  BareOdbc database2(BuildConnectionString(*profile2));
  Fill(database1, kTarget, kTargetRows);
  Fill(database2, kSource, kAppendedRows);
  const std::unique_ptr<adodb::Connection> target = adodb::CreateOdbcConnection();
  target->Open(BuildConnectionString(*profile1));
  std::vector<double> counts;
  for (int run = 0; run < kCountRuns; ++run) counts.push_back(TwoCounts(*target));
  std::vector<double> appends;
  for (int run = 0; run < kAppendRuns; ++run) appends.push_back(FastAppend(*profile1, *profile2));
  database1.Execute("DROP TABLE " + kTarget);
  database2.Execute("DROP TABLE " + kSource);
  const double ours = Median(counts);
  const double baseline = Median(appends);
  report.Add({QStringLiteral("9. after-check: its two counts of a 1,000,000-row target vs a whole "
                             "fast append of 20,000 rows into it"),
              Milliseconds(ours), Milliseconds(baseline), ours / baseline, std::nullopt,
              QString()});
}

}  // namespace bench
