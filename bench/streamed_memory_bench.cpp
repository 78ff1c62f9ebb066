// The memory the fast append holds while it streams rows from one database to another: the
// growth of the peak resident memory of a process of its own that appends 10,000 rows, and of
// one that appends 1,000,000, on SQLite through the real driver manager. The SQLite driver keeps
// a whole result in memory when the statement runs (about 230 MiB for the 1,000,000 rows here),
// so a bare read of the same rows in a process of its own is measured too and taken off: what
// is left is the program's own, and it must not grow with the rows by more than 64 MiB.

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <memory>
#include <stdexcept>

#include "answering_dialogs.h"
#include "append/append_engine.h"
#include "append/append_progress.h"
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

// In a process of its own (the benchmark program started again with "streamed-child ROWS"):
// prints the growth of the peak resident memory while the fast append streams the rows.
int StreamedAppendChild(int rows, bool bareRead) {
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
  // Another server's name, so that the rows are streamed in batches.
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
                        BenchDatabases::ProfileOf(source), true},
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

void StreamedAppendMemory(Report& report) {
  const auto growthOf = [](int rows, bool bareRead) {
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {bareRead ? QStringLiteral("bare-read-child") : QStringLiteral("streamed-child"),
                 QString::number(rows)});
    if (!child.waitForFinished(-1) || child.exitCode() != 0) {
      throw std::runtime_error("the streaming child failed: " +
                               child.readAllStandardError().toStdString());
    }
    return child.readAllStandardOutput().trimmed().toDouble();
  };
  const double few = growthOf(kFewRows, false) - growthOf(kFewRows, true);
  const double many = growthOf(kManyRows, false) - growthOf(kManyRows, true);
  report.Add({QStringLiteral("8. fast append streamed, own peak memory: 1,000,000 vs 10,000 rows"),
              Megabytes(many), Megabytes(few), (many - few) / (64 * kMiB), 1.0,
              QStringLiteral("ratio: the difference over 64 MiB; the driver's read taken off")});
}

}  // namespace bench
