// The memory the append holds while it streams rows from one database to another, in batches
// (the fast append) or one INSERT a row: the growth of the peak resident memory of a process of
// its own that appends 10,000 rows, and of one that appends 1,000,000, on SQLite through the real
// driver manager. The SQLite driver keeps
// a whole result in memory when the statement runs (about 230 MiB for the 1,000,000 rows here),
// so a bare read of the same rows in a process of its own is measured too and taken off: what
// is left is the program's own, and it must not grow with the rows by more than 64 MiB.

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <memory>
#include <stdexcept>

#include "answering_dialogs.h"
#include "append/engine/append_engine.h"
#include "append/page/append_progress.h"
#include "bare_odbc.h"
#include "bench_databases.h"
#include "controls/progress_bar.h"
#include "items.h"
#include "shell/page.h"

namespace bench {
namespace {

constexpr int kFewRows = 10000;
constexpr int kManyRows = 1000000;
constexpr double kMiB = 1024.0 * 1024.0;

double StatusBytes(const char* field) {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return -1;
  const QByteArray prefix = QByteArray(field) + ':';
  for (const QByteArray& line : status.readAll().split('\n')) {
    if (line.startsWith(prefix)) {
      return line.mid(prefix.size()).trimmed().split(' ')[0].toDouble() * 1024;
    }
  }
  return -1;
}

void CreateSource(const QString& database, int rows) {
  BareOdbc setup(BenchDatabases::ConnectionString(database));
  setup.Execute(
      QStringLiteral("CREATE TABLE Source (ID INTEGER, Name TEXT, Amount REAL, "
                     "Created TEXT, Note TEXT)"));
  setup.Execute(
      QStringLiteral("INSERT INTO Source WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 "
                     "FROM n WHERE i < %1) SELECT i, 'Customer ' || i, i * 1.25, "
                     "'2024-01-02 03:04:05', 'a note on row ' || i FROM n")
          .arg(rows));
}

}  // namespace

// In a process of its own (the benchmark program started again with "streamed-child ROWS", or
// "per-row-child ROWS"): prints the growth of the peak resident memory while the append streams
// the rows.
int StreamedAppendChild(int rows, const QString& way) {
  const bool bareRead = way == QLatin1String("bare-read-child");
  const bool fast = way == QLatin1String("streamed-child");
  BenchDatabases databases;
  const QString source = databases.New(QStringLiteral("source.db"));
  const QString target = databases.New(QStringLiteral("target.db"));
  CreateSource(source, rows);
  BareOdbc(BenchDatabases::ConnectionString(target))
      .Execute(QStringLiteral("CREATE TABLE Target (ID INTEGER, Name TEXT, Amount REAL, "
                              "Created TEXT, Note TEXT)"));
  AnsweringDialogs dialogs;
  shell::Page page;
  ProgressBar bar(&page);
  append::AppendProgress progress(page, bar);
  // Another server's name, so that the fast append streams the rows in batches.
  ConnectionProfile into = BenchDatabases::ProfileOf(target);
  into.Server = QStringLiteral("another-host");
  const double before = StatusBytes("VmHWM");
  if (bareRead) {
    BareOdbc(BenchDatabases::ConnectionString(source))
        .ReadAll(QStringLiteral("SELECT * FROM Source"));
    std::printf("%.0f\n", StatusBytes("VmHWM") - before);
    return 0;
  }
  append::AppendEngine({QStringLiteral("Target"), QStringLiteral("Source"), true, into,
                        BenchDatabases::ProfileOf(source), fast},
                       progress)
      .Run();
  const double growth = StatusBytes("VmHWM") - before;
  if (dialogs.LastMessage() != QLatin1String("Done.")) {
    std::fprintf(stderr, "%s\n", qPrintable(dialogs.LastMessage()));
    return 1;
  }
  std::printf("%.0f\n", growth);
  return 0;
}

namespace {

// The program's own growth of the peak memory between `few` and `many` rows, the driver's read
// of the same rows taken off.
double OwnGrowth(const QString& way, int rows) {
  const auto growthOf = [rows](const QString& child) {
    QProcess process;
    process.start(QCoreApplication::applicationFilePath(), {child, QString::number(rows)});
    if (!process.waitForFinished(-1) || process.exitCode() != 0) {
      throw std::runtime_error("the streaming child failed: " +
                               process.readAllStandardError().toStdString());
    }
    return process.readAllStandardOutput().trimmed().toDouble();
  };
  return growthOf(way) - growthOf(QStringLiteral("bare-read-child"));
}

void AddMemoryLine(Report& report, const QString& name, const QString& way) {
  const double few = OwnGrowth(way, kFewRows);
  const double many = OwnGrowth(way, kManyRows);
  report.Add({name, Megabytes(many), Megabytes(few), (many - few) / (64 * kMiB), 1.0,
              QStringLiteral("ratio: the difference over 64 MiB; the driver's read taken off")});
}

}  // namespace

void StreamedAppendMemory(Report& report) {
  AddMemoryLine(
      report, QStringLiteral("8. fast append streamed, own peak memory: 1,000,000 vs 10,000 rows"),
      QStringLiteral("streamed-child"));
}

void PerRowAppendMemory(Report& report) {
  AddMemoryLine(
      report,
      QStringLiteral("8b. one INSERT a row streamed, own peak memory: 1,000,000 vs 10,000 rows"),
      QStringLiteral("per-row-child"));
}

}  // namespace bench
