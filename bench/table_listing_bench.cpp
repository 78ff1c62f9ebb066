// The table list of a database of 5,000 tables against the bare SQLTables loop that any
// program listing them must run: one connection, one schema rowset, every row read.

#include <QListWidget>
#include <memory>
#include <stdexcept>

#include "bare_odbc.h"
#include "bench_databases.h"
#include "items.h"
#include "shell/table_lists.h"

namespace bench {
namespace {

constexpr int kTables = 5000;
constexpr int kRuns = 31;

void CreateTables(const QString& database) {
  BareOdbc setup(BenchDatabases::ConnectionString(database));
  for (int i = 1; i <= kTables; ++i) {
    setup.Execute(QStringLiteral("CREATE TABLE [Table_%1] (ID INTEGER, Name TEXT)")
                      .arg(i, 5, 10, QLatin1Char('0')));
  }
}

QStringList Listed(QListWidget& list) {
  QStringList names;
  for (int i = 0; i < list.count(); ++i) names << list.item(i)->text();
  return names;
}

}  // namespace

void TableListing(Report& report) {
  BenchDatabases databases;
  const QString database = databases.New(QStringLiteral("tables.db"));
  CreateTables(database);
  const ConnectionProfile profile = BenchDatabases::ProfileOf(database);
  const QString connectionString = BenchDatabases::ConnectionString(database);
  // A new, hidden list for every run, as a page's list is while the page loads.
  auto list = std::make_unique<QListWidget>();
  MSSQL::FillTableList(*list, profile);
  const QStringList bare = BareOdbc(connectionString).UserTables();
  if (bare.size() != kTables || Listed(*list) != bare) {
    throw std::runtime_error("the table list and the bare loop disagree");
  }
  const SideBySide times = TimeSideBySide(
      kRuns, [&] { MSSQL::FillTableList(*list, profile); },
      [&] { BareOdbc(connectionString).UserTables(); },
      [&] { list = std::make_unique<QListWidget>(); });
  report.Add({QStringLiteral("4. table list of 5,000 tables vs bare SQLTables loop"),
              Milliseconds(times.ours), Milliseconds(times.baseline), times.Ratio(), 1.2,
              QStringLiteral("both connect, read the tables rowset and keep the user tables; "
                             "ours also lets the window process events once per table and fills "
                             "a list box; median of %1 runs each")
                  .arg(kRuns)});
}

}  // namespace bench
