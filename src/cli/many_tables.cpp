#include "cli/many_tables.h"

#include <QElapsedTimer>

#include "cli/database_command.h"
#include "cli/job_summary.h"
#include "cli/json_report.h"
#include "cli/stop_on_interrupt.h"
#include "platform/desktop/dialogs.h"

namespace cli {
namespace {

// Both databases opened for the checks, the source's and the target's.
struct Databases {
  std::optional<CheckedDatabase> source;
  std::optional<CheckedDatabase> target;
};

std::optional<Databases> OpenBoth(const AppendJob& job, Console& console) {
  Databases both;
  const int target = job.appendToDatabase1 ? 1 : 2;
  both.source = OpenForChecks(target == 1 ? job.profile2 : job.profile1, 3 - target, console);
  if (!both.source) return std::nullopt;
  both.target = OpenForChecks(target == 1 ? job.profile1 : job.profile2, target, console);
  if (!both.target) return std::nullopt;
  return both;
}

// The tables in the order they go, with their targets: the foreign keys of both databases
// decide it (the made targets have none yet, the sources' keys stand for theirs).
std::optional<std::vector<TablePair>> PlannedTables(Databases& both, const ManyTablesRun& run,
                                                    bool create, Console& console) {
  const std::optional<std::vector<MSSQL::TableName>> tables =
      ChosenTables(*both.source, run.choice, console);
  if (!tables) return std::nullopt;
  const std::optional<std::vector<TablePair>> pairs =
      PairWithTargets(*both.target, *tables, create, console);
  if (!pairs) return std::nullopt;
  std::optional<std::vector<MSSQL::ForeignKey>> keys = ForeignKeysOf(*both.source, console);
  if (!keys) return std::nullopt;
  const std::optional<std::vector<MSSQL::ForeignKey>> targetKeys =
      ForeignKeysOf(*both.target, console);
  if (!targetKeys) return std::nullopt;
  keys->insert(keys->end(), targetKeys->begin(), targetKeys->end());
  return InForeignKeyOrder(*pairs, *keys, console);
}

// The pattern job for one table, on the logins still open (or opened again when a table's run
// lost one): empty when a login cannot be opened again.
bool JobFor(const TablePair& pair, const Databases& both, AppendJob& job, Console& console) {
  const bool into1 = job.appendToDatabase1;
  (into1 ? job.table2 : job.table1) = pair.source;
  (into1 ? job.table1 : job.table2) = pair.target;
  (into1 ? job.qualified2 : job.qualified1) = QualifiedName(*both.source, pair.source);
  (into1 ? job.qualified1 : job.qualified2) = QualifiedName(*both.target, pair.target);
  job.create = !pair.targetExists;
  for (int number : {1, 2}) {
    std::unique_ptr<adodb::Connection>& connection =
        number == 1 ? job.connection1 : job.connection2;
    if (!connection) {
      connection = Connect(number == 1 ? job.profile1 : job.profile2, number, console,
                           adodb::adModeReadWrite);
    }
    if (!connection) return false;
  }
  return true;
}

QStringList Targets(const std::vector<TablePair>& pairs, const Databases& both) {
  QStringList targets;
  for (const TablePair& pair : pairs) {
    if (pair.notRun.isEmpty() && pair.targetExists) {
      targets << QualifiedName(*both.target, pair.target);
    }
  }
  return targets;
}

// One table: its own boxes, progress line and summary.
TableRun RunOne(AppendJob& job, const ManyTablesRun& run, Console& console,
                AppendRunContext& context, const StatementWatch& watch) {
  TerminalDialogs dialogs(console, QStringLiteral("--yes"), run.yes);
  dialogs.AnswerColumnOrder(run.columnOrder);
  ProgressLine progress(console, run.progress);
  // The plan of a dry run is told by the table's own line, below.
  JobTerminal terminal{console, dialogs, progress, true, true};
  return AppendTable(job, terminal, context, watch);
}

void Tell(const TableRun& table, const ManyTablesRun& run, Console& console) {
  TellTimedOut(table, console);
  if (run.json) {
    console.Result(TableJson(table));
  } else if (table.plan) {
    console.Result(TableLine(table));  // a dry run's list is its result
    return;
  }
  if (!run.quiet || table.exitCode != kDone) console.Message(TableLine(table));
}

int ExitCodeOf(const std::vector<TableRun>& runs, bool interrupted) {
  if (interrupted) return kInterrupted;
  return TotalsOf(runs).complete == static_cast<int>(runs.size()) ? kDone : kRefused;
}

// Why a table does not start once the run is ending: Ctrl-C, a table short of rows with
// --stop-on-error, or a login that could not be opened again. Empty: it starts.
QString NotStartedBecause(const std::vector<TableRun>& runs, const ManyTablesRun& run,
                          const AppendRunContext& context, bool loginLost) {
  if (context.interrupted) return QStringLiteral("not started, the run was stopped");
  if (loginLost) return QStringLiteral("not started, a login could not be opened again");
  if (run.stopOnError && ExitCodeOf(runs, false) != kDone) {
    return QStringLiteral(
        "not started (--stop-on-error), a table before it did not get every "
        "row");
  }
  return {};
}

}  // namespace

void TellTimedOut(const TableRun& table, Console& console) {
  if (!table.timedOut) return;
  const QString given = QStringLiteral(
                            "ombrelia: %1: timeout: a statement ran longer than --query-timeout "
                            "and was given up; ")
                            .arg(table.target);
  if (!table.outcome || !table.outcome->way) {
    console.Message(given + QStringLiteral("no row was written."));
    return;
  }
  // The target counted after the statement: what it gained, the statement given up included.
  if (table.outcome && table.outcome->targetRows && table.outcome->targetBefore) {
    console.Message(given + QStringLiteral("%1 holds %2 rows, %3 of them written by this run.")
                                .arg(table.target)
                                .arg(*table.outcome->targetRows)
                                .arg(table.outcome->appended));
    return;
  }
  console.Message(given + QStringLiteral("it may have written rows all the same, and %1 could "
                                         "not be counted: --resume tells what it holds.")
                              .arg(table.target));
}

bool TruncateAgreed(const QStringList& targets, bool yes, Console& console) {
  if (targets.isEmpty()) return true;
  TerminalDialogs dialogs(console, QStringLiteral("--yes"), yes);
  const QString question =
      QStringLiteral("Empty %1 before the rows are appended? Every row %2 now is deleted.")
          .arg(targets.join(QStringLiteral(", ")),
               targets.size() == 1 ? QStringLiteral("it holds") : QStringLiteral("they hold"));
  return dialogs::MsgBox(question, dialogs::vbYesNo) == dialogs::vbYes;
}

int AppendManyTables(AppendJob& job, const ManyTablesRun& run, Console& console,
                     const StatementWatch& watch) {
  QElapsedTimer timer;
  timer.start();
  // A run that ends before its tables still ends with its JSON object.
  const auto ended = [&](int exitCode) {
    if (run.json) console.Result(RunJson({}, timer.elapsed(), exitCode));
    return exitCode;
  };
  std::optional<Databases> both = OpenBoth(job, console);
  if (!both) return ended(kNotConnected);
  const std::optional<std::vector<TablePair>> pairs =
      PlannedTables(*both, run, job.create, console);
  if (!pairs) return ended(kRefused);
  if (job.truncate && !job.dryRun && !TruncateAgreed(Targets(*pairs, *both), run.yes, console)) {
    return ended(kRefused);
  }
  (job.appendToDatabase1 ? job.connection2 : job.connection1) = std::move(both->source->connection);
  (job.appendToDatabase1 ? job.connection1 : job.connection2) = std::move(both->target->connection);
  AppendRunContext context;
  const StopOnInterrupt interrupt(console, [&] { context.Interrupt(); });
  std::vector<TableRun> runs;
  bool loginLost = false;
  for (const TablePair& pair : *pairs) {
    TableRun table;
    table.source = QualifiedName(*both->source, pair.source);
    table.target = QualifiedName(*both->target, pair.target);
    table.notRun = NotStartedBecause(runs, run, context, loginLost);
    if (table.notRun.isEmpty()) table.notRun = pair.notRun;
    if (table.notRun.isEmpty() && !JobFor(pair, *both, job, console)) {
      loginLost = true;
      table.notRun = QStringLiteral("a login could not be opened again");
    }
    if (table.notRun.isEmpty()) {
      table = RunOne(job, run, console, context, watch);
    } else {
      table.exitCode = kRefused;
    }
    Tell(table, run, console);
    runs.push_back(std::move(table));
  }
  const int exitCode = loginLost ? kNotConnected : ExitCodeOf(runs, context.interrupted);
  if (run.json) console.Result(RunJson(runs, timer.elapsed(), exitCode));
  if (!run.quiet) {
    console.Message(
        job.dryRun ? QStringLiteral("Dry run of %1 tables: nothing was written.").arg(runs.size())
                   : TotalLine(runs, timer.elapsed()));
  }
  return exitCode;
}

}  // namespace cli
