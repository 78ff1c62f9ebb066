// The memory the append holds when both tables are in one database of a live T-SQL server, one
// INSERT a row and in batches (the fast append after the server refused its own copy): the
// growth of the peak resident memory of a process of its own whose source holds 1,000,000 rows,
// against one whose source holds 10,000, each stopped after 5,000 rows written. A run that asked
// the server whether the two are one table while the source's rows were open would make the
// driver hold every row left to read; asked before, the memory stays that of a batch.

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <stdexcept>

#include "answering_dialogs.h"
#include "append/engine/append_engine.h"
#include "bare_odbc.h"
#include "items.h"
#include "support/live_server.h"

namespace bench {
namespace {

constexpr int kFewRows = 10000;
constexpr int kManyRows = 1000000;
constexpr qint64 kStopAfter = 5000;
constexpr double kMiB = 1024.0 * 1024.0;
const QString kSource = QStringLiteral("ombrelia_bench_onedb_source");
const QString kTarget = QStringLiteral("ombrelia_bench_onedb_target");

double PeakBytes() {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return -1;
  for (const QByteArray& line : status.readAll().split('\n')) {
    if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ')[0].toDouble() * 1024;
  }
  return -1;
}

// Rows of 300 characters; the target refuses the copy of the server (row 1 breaks its check),
// so that the fast append streams batches.
void Prepare(BareOdbc& db, int rows) {
  for (const QString& table : {kSource, kTarget}) {
    db.Execute("IF OBJECT_ID(N'" + table + "', N'U') IS NOT NULL DROP TABLE " + table);
  }
  db.Execute("CREATE TABLE " + kSource + " (ID int, Text nvarchar(300))");
  db.Execute("CREATE TABLE " + kTarget + " (ID int CHECK (ID <> 1), Text nvarchar(300))");
  db.Execute(QStringLiteral(
                 "WITH d AS (SELECT 0 AS n UNION ALL SELECT 1 UNION ALL SELECT 2 UNION ALL "
                 "SELECT 3 UNION ALL SELECT 4 UNION ALL SELECT 5 UNION ALL SELECT 6 UNION ALL "
                 "SELECT 7 UNION ALL SELECT 8 UNION ALL SELECT 9), i AS (SELECT a.n + 10 * b.n + "
                 "100 * c.n + 1000 * e.n + 10000 * f.n + 100000 * g.n + 1 AS n FROM d a, d b, d "
                 "c, d e, d f, d g) INSERT INTO %1 SELECT n, REPLICATE(N'x', 300) FROM i WHERE "
                 "n <= %2")
                 .arg(kSource)
                 .arg(rows));
}

// Stops the run once enough rows are written.
class StopAfterRows : public jobs::RunReport {
 public:
  void Busy(bool) override {}
  void Reading(qint64) override {}
  void Progress(qint64 done, qint64) override {
    if (done >= kStopAfter && engine) engine->Stop();
  }
  void RunEnded() override {}
  append::AppendEngine* engine = nullptr;
};

double Growth(const QString& way, int rows) {
  QProcess process;
  process.start(QCoreApplication::applicationFilePath(), {way, QString::number(rows)});
  if (!process.waitForFinished(-1) || process.exitCode() != 0) {
    throw std::runtime_error("the one-database child failed: " +
                             process.readAllStandardError().toStdString());
  }
  return process.readAllStandardOutput().trimmed().toDouble();
}

void AddLine(Report& report, const QString& name, const QString& way) {
  const double few = Growth(way, kFewRows);
  const double many = Growth(way, kManyRows);
  report.Add({name, Megabytes(many), Megabytes(few), (many - few) / (64 * kMiB), 1.0,
              QStringLiteral("ratio: the difference over 64 MiB")});
}

}  // namespace

int OneDatabaseAppendChild(int rows, const QString& way) {
  const std::optional<ConnectionProfile> profile = LiveProfile(1);
  if (!profile) throw std::runtime_error(kNoLiveServer);
  const LiveDriver driver;
  BareOdbc db(BuildConnectionString(*profile));
  Prepare(db, rows);
  AnsweringDialogs dialogs;
  StopAfterRows report;
  qint64 written = 0;
  double growth = 0;
  {
    // The engine's connections close with it, before the tables are dropped.
    append::AppendEngine engine(
        {kTarget, kSource, true, *profile, *profile, way == QLatin1String("one-db-batches-child")},
        report);
    report.engine = &engine;
    const double before = PeakBytes();
    engine.Run();
    growth = PeakBytes() - before;
    written = engine.Result().appended + engine.Result().refused;
  }
  for (const QString& table : {kSource, kTarget}) db.Execute("DROP TABLE " + table);
  if (written < kStopAfter) {
    std::fprintf(stderr, "%s\n", qPrintable(dialogs.LastMessage()));
    return 1;
  }
  std::printf("%.0f\n", growth);
  return 0;
}

void OneDatabaseMemory(Report& report) {
  AddLine(report,
          QStringLiteral("8c. live, both tables in one database, one INSERT a row, own peak "
                         "memory: 1,000,000 vs 10,000 rows of 300 characters"),
          QStringLiteral("one-db-per-row-child"));
  AddLine(report,
          QStringLiteral("8d. live, both tables in one database, batches, own peak memory: "
                         "1,000,000 vs 10,000 rows of 300 characters"),
          QStringLiteral("one-db-batches-child"));
}

}  // namespace bench
