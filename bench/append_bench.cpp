// The append engine against the bare work any program appending row by row must do: read the
// source table through ODBC and send one INSERT per row through one ODBC connection.

#include <QCoreApplication>
#include <functional>
#include <memory>
#include <stdexcept>

#include "answering_dialogs.h"
#include "append/engine/append_engine.h"
#include "append/page/append_progress.h"
#include "append/ways/append_statements.h"
#include "bare_odbc.h"
#include "bench_databases.h"
#include "controls/progress_bar.h"
#include "items.h"
#include "platform/odbc/adodb.h"
#include "shell/page.h"
#include "window_stall.h"

namespace bench {
namespace {

constexpr int kRows = 50000;
constexpr int kRuns = 7;
const QString kColumns =
    QStringLiteral("(ID INTEGER, Name TEXT, Amount REAL, Created TEXT, Code TEXT, Note TEXT)");

void CreateSource(const QString& database) {
  BareOdbc setup(BenchDatabases::ConnectionString(database));
  setup.Execute(QStringLiteral("CREATE TABLE Source ") + kColumns);
  setup.Execute(
      QStringLiteral("INSERT INTO Source WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 "
                     "FROM n WHERE i < %1) SELECT i, 'Customer ' || i || ' O''Neill', i * 1.25, "
                     "'2024-01-02 03:04:05', printf('C%06d', i), CASE WHEN i % 7 = 0 THEN NULL "
                     "ELSE 'a note on row ' || i END FROM n")
          .arg(kRows));
}

// The INSERT texts the engine sends, built by its own statement function from the rows as
// the program reads them.
QStringList InsertTexts(const QString& source) {
  std::unique_ptr<adodb::Connection> connection = adodb::CreateOdbcConnection();
  connection->Open(BenchDatabases::ConnectionString(source));
  std::unique_ptr<adodb::Recordset> rows =
      connection->Execute(QStringLiteral("SELECT * FROM [Source]"));
  QStringList texts;
  while (!rows->Eof()) {
    std::vector<adodb::Value> values;
    for (int i = 0; i < rows->FieldCount(); ++i) values.push_back(rows->FieldValue(i));
    texts << append::InsertStatement(QStringLiteral("Target"), values);
    rows->MoveNext();
  }
  return texts;
}

int TargetRows(const QString& target) {
  return BareOdbc(BenchDatabases::ConnectionString(target))
      .Scalar(QStringLiteral("SELECT COUNT(*) FROM Target"))
      .toInt();
}

// The least an append must do: read every row of the source, send every INSERT text.
void BareAppend(const QString& source, const QString& target, const QStringList& texts) {
  BareOdbc into(BenchDatabases::ConnectionString(target));
  BareOdbc from(BenchDatabases::ConnectionString(source));
  if (from.ReadAll(QStringLiteral("SELECT * FROM [Source]")) != kRows) {
    throw std::runtime_error("the bare loop read a different number of rows");
  }
  for (const QString& text : texts) into.Execute(text);
}

// The append page as far as the engine touches it: the page, shown, and its progress bar.
struct ShownPage {
  ShownPage() : progressBar(&page) {
    page.resize(400, 100);
    progressBar.setGeometry(10, 10, 380, 30);
    page.show();
    QCoreApplication::processEvents();
  }
  shell::Page page;
  ProgressBar progressBar;
};

}  // namespace

void AppendThroughput(Report& report) {
  BenchDatabases databases;
  const QString target = databases.New(QStringLiteral("target.db"));
  const QString source = databases.New(QStringLiteral("source.db"));
  CreateSource(source);
  BareOdbc(BenchDatabases::ConnectionString(target))
      .Execute(QStringLiteral("CREATE TABLE Target ") + kColumns);
  const QStringList texts = InsertTexts(source);
  if (texts.size() != kRows) throw std::runtime_error("the source was not filled");

  AnsweringDialogs dialogs;
  ShownPage shown;
  const append::AppendRequest request{QStringLiteral("Target"), QStringLiteral("Source"), true,
                                      BenchDatabases::ProfileOf(target),
                                      BenchDatabases::ProfileOf(source)};
  auto engine = [&] {
    append::AppendProgress progress(shown.page, shown.progressBar);
    append::AppendEngine(request, progress).Run();
  };
  auto bare = [&] { BareAppend(source, target, texts); };
  auto emptyTarget = [&] {
    BareOdbc(BenchDatabases::ConnectionString(target))
        .Execute(QStringLiteral("DELETE FROM Target"));
  };
  // One untimed round of each, to check that both append every row.
  for (const std::function<void()>& side :
       {std::function<void()>(engine), std::function<void()>(bare)}) {
    emptyTarget();
    side();
    if (TargetRows(target) != kRows) throw std::runtime_error("an append lost rows");
  }
  if (dialogs.LastMessage() != QLatin1String("Done.")) {
    throw std::runtime_error("the engine ended with: " + dialogs.LastMessage().toStdString());
  }
  const SideBySide times = TimeSideBySide(kRuns, engine, bare, emptyTarget);
  emptyTarget();
  double stall = 0;
  {
    const WindowStallWatch watch;
    engine();
    stall = watch.LongestStall();
  }
  report.Add({QStringLiteral("1. append of 50,000 rows x 6 columns vs bare loop"),
              Milliseconds(times.ours), Milliseconds(times.baseline), times.Ratio(), 1.15,
              QStringLiteral("SQLite files on %1 in WAL mode; ours is the whole run (two "
                             "connections, the counts, the source read into the row buffer, one "
                             "INSERT per row on a worker thread, the progress shown by the "
                             "window's thread, the page shown offscreen); the bare loop reads the "
                             "source through ODBC and sends the same INSERT texts on one "
                             "statement handle; median of %2 runs")
                  .arg(databases.Folder().section(QLatin1Char('/'), 0, -2))
                  .arg(kRuns)});
  constexpr double kStallTarget = 0.050;
  report.Add({QStringLiteral("1b. the window thread's longest stall during that append"),
              Milliseconds(stall), Milliseconds(kStallTarget), stall / kStallTarget, 1.0,
              QStringLiteral("one more run of the engine, with a timer on the window's thread "
                             "asking for a turn every %1 ms; the longest gap between two turns, "
                             "less that interval, against the 50 ms target")
                  .arg(WindowStallWatch::kIntervalMilliseconds)});
}

}  // namespace bench
