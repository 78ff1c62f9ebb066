#include "cli/many_tables.h"

#include <QElapsedTimer>

#include "cli/append_plan_text.h"
#include "cli/cut_run.h"
#include "cli/database_command.h"
#include "cli/existing_targets_choice.h"
#include "cli/job_summary.h"
#include "cli/json_report.h"
#include "cli/stop_on_interrupt.h"
#include "copy/copy_scripts.h"
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
std::optional<std::vector<copy::PlannedTable>> PlannedTables(
    Databases& both, const ManyTablesRun& run, bool create,
    std::vector<MSSQL::ForeignKey>& targetKeys, Console& console) {
  const std::optional<std::vector<MSSQL::TableName>> tables =
      ChosenTables(*both.source, run.choice, console);
  if (!tables) return std::nullopt;
  const std::optional<std::vector<copy::PlannedTable>> pairs =
      PairWithTargets(*both.target, *tables, create, console);
  if (!pairs) return std::nullopt;
  std::optional<std::vector<MSSQL::ForeignKey>> keys = ForeignKeysOf(*both.source, console);
  if (!keys) return std::nullopt;
  std::optional<std::vector<MSSQL::ForeignKey>> targets = ForeignKeysOf(*both.target, console);
  if (!targets) return std::nullopt;
  targetKeys = std::move(*targets);
  keys->insert(keys->end(), targetKeys.begin(), targetKeys.end());
  return InForeignKeyOrder(*pairs, *keys, console);
}

// The scripts of the tables to make, read for the whole run; false, the failure told, when the
// source cannot be read.
bool ScriptsRead(Databases& both, std::vector<copy::PlannedTable>& pairs, Console& console) {
  try {
    copy::ReadScripts(*both.source->connection, *both.target->connection, pairs);
    copy::ReadSourceKeys(*both.source->connection, pairs);
    return true;
  } catch (const platform::Error& error) {
    console.Failure(
        QStringLiteral("cannot read the tables to make from %1").arg(both.source->login.Database),
        error.Description());
    return false;
  }
}

// The pattern job for one table, on the logins still open (or opened again when a table's run
// lost one): empty when a login cannot be opened again.
bool JobFor(const copy::PlannedTable& pair, const Databases& both, const ManyTablesRun& run,
            AppendJob& job, Console& console) {
  const bool into1 = job.appendToDatabase1;
  (into1 ? job.table2 : job.table1) = pair.source;
  (into1 ? job.table1 : job.table2) = pair.target;
  (into1 ? job.qualified2 : job.qualified1) = QualifiedName(*both.source, pair.source);
  (into1 ? job.qualified1 : job.qualified2) = QualifiedName(*both.target, pair.target);
  job.create = !pair.targetExists;
  job.resume = pair.resume;
  job.droppedFirst = pair.replaced;
  job.sourceKey = pair.sourceKey;
  job.truncate = run.truncate || (run.existing == copy::ExistingTarget::Empty && pair.targetExists);
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

QStringList Targets(const std::vector<copy::PlannedTable>& pairs, const Databases& both) {
  QStringList targets;
  for (const copy::PlannedTable& pair : pairs) {
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
  } else if (table.plan && !table.plan->script.isEmpty()) {
    // A dry run that makes tables prints a script a user can run by hand: the table's line
    // stands in it as a comment.
    console.Result(QStringLiteral("-- ") + TableLine(table));
    for (const QString& line : ScriptLines(table.plan->script)) console.Result(line);
    for (const QString& line : table.plan->leftOut) {
      console.Result(QStringLiteral("-- Not made: ") + line);
    }
    return;
  } else if (table.plan) {
    console.Result(TableLine(table));  // a dry run's list is its result
    return;
  }
  if (!run.quiet || table.exitCode != kDone) console.Message(TableLine(table));
}

// The statements of a table's copy sent after its rows: what the target refuses is named under
// the table, which then did not get its whole copy. False when one was refused.
bool SendForTable(TableRun& table, adodb::Connection& target, const QStringList& statements,
                  Console& console) {
  std::vector<copy::Refusal> refused;
  try {
    refused = copy::SendEach(target, statements);
  } catch (const platform::Error& error) {
    refused.push_back({statements.join(QStringLiteral("; ")), error.Description()});
  }
  for (const copy::Refusal& refusal : refused) {
    const QString what = QStringLiteral("%1: not made: %2")
                             .arg(table.target, refusal.statement.simplified().left(90));
    console.Failure(what, refusal.reason);
    table.outcome->objectLines << what + QStringLiteral(": ") + refusal.reason;
    table.exitCode = kRefused;
  }
  return refused.empty();
}

// A target the cut run made and that the resumed run filled gets what the cut run could not
// give it: its indexes, checks and defaults now, its foreign keys and triggers with the others'.
void FinishMadeByTheCutRun(TableRun& table, const std::optional<copy::TableScript>& script,
                           AppendJob& job, Console& console) {
  if (!script || table.exitCode != kDone || !table.outcome || table.plan) return;
  std::unique_ptr<adodb::Connection>& target =
      job.appendToDatabase1 ? job.connection1 : job.connection2;
  if (!target) return;
  SendForTable(table, *target, script->afterRows, console);
  table.outcome->targetMade = true;
}

// A run that empties its targets before the first is filled checks every table first, each by
// its dry run: a table refused at a check leaves every target's rows where they were.
bool EveryTableChecks(const std::vector<copy::PlannedTable>& pairs, const Databases& both,
                      const ManyTablesRun& run, AppendJob& job, Console& console,
                      AppendRunContext& context, const StatementWatch& watch) {
  job.dryRun = true;
  bool checked = true;
  for (std::size_t at = 0; at < pairs.size() && checked && !context.interrupted; ++at) {
    const copy::PlannedTable& pair = pairs.at(at);
    if (!pair.notRun.isEmpty() || !pair.kept.isEmpty()) continue;
    job.script = pair.script;
    checked = JobFor(pair, both, run, job, console) &&
              RunOne(job, run, console, context, watch).exitCode == kDone;
    if (!checked) {
      console.Message(QStringLiteral("ombrelia: %1 did not pass its checks: no table was emptied "
                                     "or written.")
                          .arg(QualifiedName(*both.source, pair.source)));
    }
  }
  job.dryRun = false;
  return checked && !context.interrupted;
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

// After the tables of a dry run: the foreign keys and triggers of the tables it would make,
// which the run makes once every table holds its rows.
void ShowLinksScript(const std::vector<copy::PlannedTable>& pairs, Console& console) {
  QStringList links;
  QStringList triggers;
  for (const copy::PlannedTable& pair : pairs) {
    if (!pair.script) continue;
    links += pair.script->foreignKeys;
    triggers += pair.script->triggers;
  }
  if (links.isEmpty() && triggers.isEmpty()) return;
  console.Result(
      QStringLiteral("-- Once every table holds its rows: the foreign keys, then the "
                     "triggers."));
  for (const QString& line : ScriptLines(links + triggers)) console.Result(line);
}

// Once every table holds its rows: the foreign keys of the tables the run made and filled,
// checked by the server, then their triggers, so that none fires during the copy. What the
// target refuses is named under its table, which then did not get its whole copy.
void MakeLinks(std::vector<TableRun>& runs, const std::vector<copy::PlannedTable>& pairs,
               AppendJob& job, const ManyTablesRun& run, Console& console) {
  std::unique_ptr<adodb::Connection>& target =
      job.appendToDatabase1 ? job.connection1 : job.connection2;
  if (!target) return;
  for (const bool triggers : {false, true}) {
    for (std::size_t at = 0; at < runs.size(); ++at) {
      TableRun& table = runs.at(at);
      const std::optional<copy::TableScript>& script = pairs.at(at).script;
      if (!script || !table.outcome || !table.outcome->targetMade || table.exitCode != kDone) {
        continue;
      }
      const QStringList& statements = triggers ? script->triggers : script->foreignKeys;
      // The table's object again, now that it did not get its whole copy.
      if (!SendForTable(table, *target, statements, console) && run.json) {
        console.Result(TableJson(table));
      }
    }
  }
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
  std::vector<MSSQL::ForeignKey> targetKeys;
  std::optional<std::vector<copy::PlannedTable>> pairs =
      PlannedTables(*both, run, job.create, targetKeys, console);
  if (!pairs) return ended(kRefused);
  CutRun cutRun;
  if (const std::optional<int> exit = cutRun.Open(job, ChosenText(run.choice), console)) {
    return ended(*exit);
  }
  const bool resuming = job.resume == append::AppendRequest::Resume::Yes ||
                        job.resume == append::AppendRequest::Resume::Force;
  for (copy::PlannedTable& pair : *pairs) {
    const TableResume resume = cutRun.Of(job, pair);
    pair.resume = resume.resume;
    pair.madeByTheCutRun = resume.madeByTheCutRun && pair.targetExists;
    if (pair.notRun.isEmpty()) pair.notRun = resume.notRun;
    if (pair.notRun.isEmpty()) pair.kept = resume.done;
  }
  ManyTablesRun decided = run;
  decided.truncate = job.truncate;
  if (const std::optional<int> exit =
          resuming ? std::nullopt
                   : DecideExistingTargets(*both->target, *pairs, decided.existing, job.create,
                                           job.dryRun, console)) {
    return ended(*exit);
  }
  std::vector<MSSQL::TableName> replaced;
  if (decided.existing == copy::ExistingTarget::Replace) {
    if (const std::optional<int> exit =
            ReplaceDecided(*both->target, *pairs, targetKeys, run.yes, job.dryRun,
                           job.dryRun && !run.json, console, replaced)) {
      return ended(*exit);
    }
  }
  if (!ScriptsRead(*both, *pairs, console)) return ended(kRefused);
  // Every target is emptied before the first is filled, children first: the tables' own runs
  // find them empty.
  const bool empties = job.truncate || decided.existing == copy::ExistingTarget::Empty;
  if (empties) {
    if (const std::optional<int> exit =
            EmptyingRefused(*both->target, *pairs, targetKeys, console)) {
      return ended(*exit);
    }
  }
  if (empties && !job.dryRun && !TruncateAgreed(Targets(*pairs, *both), run.yes, console)) {
    return ended(kRefused);
  }
  decided.truncate = false;
  decided.existing = empties ? copy::ExistingTarget::Append : decided.existing;
  (job.appendToDatabase1 ? job.connection2 : job.connection1) = std::move(both->source->connection);
  (job.appendToDatabase1 ? job.connection1 : job.connection2) = std::move(both->target->connection);
  AppendRunContext context;
  const StopOnInterrupt interrupt(console, [&] { context.Interrupt(); });
  if (empties && !job.dryRun) {
    if (!EveryTableChecks(*pairs, *both, decided, job, console, context, watch)) {
      return ended(context.interrupted ? kInterrupted : kRefused);
    }
    adodb::Connection& session = *(job.appendToDatabase1 ? job.connection1 : job.connection2);
    if (const std::optional<int> exit =
            EmptyExistingTargets(*both->target, session, *pairs, targetKeys, console)) {
      return ended(*exit);
    }
  }
  if (!replaced.empty() && !job.dryRun) {
    adodb::Connection& session = *(job.appendToDatabase1 ? job.connection1 : job.connection2);
    if (const std::optional<int> exit =
            DropReplacedTargets(*both->target, session, replaced, console)) {
      return ended(*exit);
    }
  }
  std::vector<TableRun> runs;
  bool loginLost = false;
  for (std::size_t at = 0; at < pairs->size(); ++at) {
    const copy::PlannedTable& pair = pairs->at(at);
    // A target the cut run made is made no more: its script's rest follows its rows.
    job.script = pair.madeByTheCutRun ? std::nullopt : pair.script;
    TableRun table;
    table.source = QualifiedName(*both->source, pair.source);
    table.target = QualifiedName(*both->target, pair.target);
    table.notRun = NotStartedBecause(runs, decided, context, loginLost);
    if (table.notRun.isEmpty()) table.notRun = pair.notRun;
    if (table.notRun.isEmpty() && !pair.kept.isEmpty()) {
      table.kept = pair.kept;
    } else if (table.notRun.isEmpty() && !JobFor(pair, *both, decided, job, console)) {
      loginLost = true;
      table.notRun = QStringLiteral("a login could not be opened again");
    }
    if (table.notRun.isEmpty() && table.kept.isEmpty()) {
      cutRun.Began(pair, job.create);
      table = RunOne(job, decided, console, context, watch);
      table.emptiesTarget = empties && pair.targetExists;
      if (pair.madeByTheCutRun) FinishMadeByTheCutRun(table, pair.script, job, console);
      cutRun.Ended(job, pair, table);
    } else if (!table.kept.isEmpty()) {
      table.exitCode = kDone;
      table.doneBefore = resuming;
      if (!resuming) {
        cutRun.Began(pair, false);
        cutRun.Ended(job, pair, table);
      }
    } else {
      table.exitCode = kRefused;
    }
    Tell(table, run, console);
    runs.push_back(std::move(table));
  }
  if (job.dryRun && !run.json) {
    ShowLinksScript(*pairs, console);
  } else if (!job.dryRun) {
    MakeLinks(runs, *pairs, job, run, console);
  }
  const int exitCode = loginLost ? kNotConnected : ExitCodeOf(runs, context.interrupted);
  if (!job.dryRun) cutRun.Finished(exitCode == kDone);
  if (run.json) console.Result(RunJson(runs, timer.elapsed(), exitCode));
  if (!run.quiet) {
    console.Message(job.dryRun
                        ? QStringLiteral("Dry run of %1: nothing was written.")
                              .arg(runs.size() == 1 ? QStringLiteral("1 table")
                                                    : QStringLiteral("%1 tables").arg(runs.size()))
                        : TotalLine(runs, timer.elapsed()));
  }
  return exitCode;
}

}  // namespace cli
