#include "cli/engine_jobs.h"

#include <QElapsedTimer>
#include <tuple>

#include "append/engine/append_engine.h"
#include "catalogue/catalogue.h"
#include "cli/append_plan_text.h"
#include "cli/job_summary.h"
#include "cli/stop_on_interrupt.h"
#include "connections/encryption.h"
#include "join/field_name_registry.h"
#include "join/join_engine.h"
#include "platform/odbc/adodb.h"

namespace cli {
namespace {

// The append's reports of its row writes: a refused row, which is lost alone while the others
// go on, or the lost connection, after which the engine ends the run with its closing message.
const QString kAppendLocation = QStringLiteral("Form3.PushButton2_Click");
constexpr int kRowWriteLine = 148;
constexpr int kRowReadLine = 144;

// What a run reports, as the command line shows it: the rows on the progress line. The busy
// pointer and the join page's table lists have no counterpart here.
class TerminalReport : public JoinReport {
 public:
  explicit TerminalReport(ProgressLine& progress) : progress_(progress) {}
  void Busy(bool) override {}
  void Reading(qint64 rowsRead) override { progress_.Reading(rowsRead); }
  void Progress(qint64 done, qint64 total) override { progress_.Update(done, total); }
  void RunEnded() override { progress_.Finish(); }
  void RemoveTable(TableList, const QString&) override {}
  void AddTable(TableList, const QString&) override {}

 private:
  ProgressLine& progress_;
};

// The rows of the new table; none when they cannot be counted.
std::optional<qint64> CountRows(const ConnectionProfile& profile, const QString& table) {
  try {
    const std::unique_ptr<adodb::Connection> connection = adodb::CreateConnection();
    OpenLogin(*connection, profile);
    const std::unique_ptr<adodb::Recordset> count =
        connection->Execute(QStringLiteral("SELECT COUNT(*) FROM ") + MSSQL::Bracketed(table));
    if (count->Eof()) return std::nullopt;
    return count->FieldValue(0).text.toLongLong();
  } catch (const platform::Error&) {
    return std::nullopt;
  }
}

// Where the refused rows are, what the after-check found, the table the run made, what a
// server's copy cut off may have written and a journal that could not be written are said also
// with --quiet: the user has rows to repair, a table that did not grow as it should, a table of
// their database that was not there before, a copy to count, or a run that cannot be resumed.
void ReportRefusedAndChecked(const append::AppendEngine::Outcome& outcome, bool closed,
                             Console& console) {
  if (!outcome.lostCopyLine.isEmpty()) console.Message(outcome.lostCopyLine);
  if (!outcome.journalLine.isEmpty()) console.Message(outcome.journalLine);
  if (!outcome.leftBehindLine.isEmpty()) console.Message(outcome.leftBehindLine);
  if (!outcome.unmarkedLine.isEmpty()) console.Message(outcome.unmarkedLine);
  if (!outcome.refusedFileLine.isEmpty()) console.Message(outcome.refusedFileLine);
  if (closed && !outcome.newTableLine.isEmpty()) console.Message(outcome.newTableLine);
  // What a made table lacks is said also when its source held no rows.
  for (const QString& line : outcome.objectLines) console.Message(line);
  if (closed && !outcome.afterCheck.isEmpty()) console.Message(outcome.afterCheck);
}

// The check's message with the ombrelia prefix and both tables' counts, as a failure line.
QString FieldCountLine(const AppendJob& job) {
  return QStringLiteral(
             "ombrelia: Tables do not have same number of fields (columns): %1 has %2, %3 has %4.")
      .arg(job.qualified1)
      .arg(job.fieldCount1)
      .arg(job.qualified2)
      .arg(job.fieldCount2);
}

append::AppendRequest RequestOf(const AppendJob& job) {
  append::AppendRequest request{job.table1,   job.table2,   job.appendToDatabase1,
                                job.profile1, job.profile2, job.fast};
  request.where = job.where;
  request.createTarget = job.create;
  request.targetDroppedFirst = job.droppedFirst;
  request.queryTimeout = job.queryTimeout;
  request.resume = job.resume;
  request.emptyTarget = job.truncate;
  request.script = job.script;
  request.sourceKey = job.sourceKey;
  request.linksLater = job.script.has_value();
  request.targetDefaultSchema = job.appendToDatabase1 ? job.defaultSchema1 : job.defaultSchema2;
  return request;
}

// The plan on standard output; a check, a question or a failure that ended it gives the run's
// own exit code.
void DryRunAppend(append::AppendEngine& engine, const AppendJob& job, JobTerminal& terminal,
                  TableRun& run, bool interrupted) {
  const std::optional<append::AppendEngine::Plan> plan = engine.DryRun();
  if (!plan || terminal.dialogs.Reports() > 0 || interrupted) {
    run.exitCode = ExitCodeOf(terminal.dialogs, interrupted);
    return;
  }
  run.plan = plan;
  if (!terminal.json) {
    for (const QString& line : AppendPlanLines(*plan, run.source, run.target, job.where)) {
      terminal.console.Result(line);
    }
    if (run.emptiesTarget) {
      terminal.console.Result(
          QStringLiteral("Emptied first (--truncate): the target's rows now "
                         "would be deleted before the rows go."));
    }
  }
  if (!terminal.quiet) terminal.console.Message(QStringLiteral("Dry run: nothing was written."));
}

void SetAppendJob(TerminalDialogs& dialogs, append::AppendEngine& engine, const TableRun& run) {
  dialogs.SetJob(
      [source = run.source, target = run.target](const QString& location, int line) {
        if (location == kAppendLocation && line == kRowWriteLine) {
          return ReportWords{QStringLiteral("cannot write a row to ") + target, false};
        }
        if (location == kAppendLocation && line == kRowReadLine) {
          return ReportWords{QStringLiteral("cannot read the rows of ") + source, true};
        }
        return ReportWords{QStringLiteral("cannot append %1 to %2").arg(source, target), true};
      },
      [&engine] { engine.Stop(); });
}

// The table's rows and its line, once it ran.
void RunRows(append::AppendEngine& engine, const AppendJob& job, JobTerminal& terminal,
             TableRun& run) {
  QElapsedTimer timer;
  timer.start();
  engine.Run();
  run.elapsedMs = timer.elapsed();
  run.outcome = engine.Result();
  const bool closed = terminal.dialogs.Closed() && !terminal.dialogs.Failed();
  if (closed && !terminal.quiet) {
    terminal.console.Message(AppendSummary(*run.outcome, run.target, run.elapsedMs, job.where));
  }
  ReportRefusedAndChecked(*run.outcome, closed, terminal.console);
}

}  // namespace

int RunJoin(JoinJob& job, JobTerminal& terminal) {
  TerminalReport report(terminal.progress);
  FieldNameRegistry registry;
  JoinEngine engine(report, registry);
  if (job.connection) {
    engine.UseOpenConnection(std::move(job.connection), job.fields1, job.fields2);
  }
  const StopOnInterrupt interrupt(terminal.console, [&] { engine.Stop(); });
  const QString what = QStringLiteral("cannot join %1 and %2 into %3")
                           .arg(job.table1.Display(), job.table2.Display(), job.newTable);
  terminal.dialogs.SetJob(
      [what](const QString&, int) {
        return ReportWords{what, true};
      },
      [&] { engine.Stop(); });
  QElapsedTimer timer;
  timer.start();
  engine.Run(JoinSelection{job.table1, job.field1, job.table2, job.field2}, job.profile1,
             job.tables);
  const qint64 elapsed = timer.elapsed();
  if (terminal.dialogs.SaidDone() && !terminal.dialogs.Failed() && !terminal.quiet) {
    const std::optional<qint64> rows = engine.JoinedRows();
    terminal.console.Message(
        JoinSummary(job.newTable, rows ? rows : CountRows(job.profile1, job.newName), elapsed));
  }
  return ExitCodeOf(terminal.dialogs, interrupt.Interrupted());
}

TableRun AppendTable(AppendJob& job, JobTerminal& terminal, AppendRunContext& context,
                     const StatementWatch& watch) {
  TableRun run{job.appendToDatabase1 ? job.qualified2 : job.qualified1,
               job.appendToDatabase1 ? job.qualified1 : job.qualified2};
  run.emptiesTarget = job.truncate;
  TerminalReport report(terminal.progress);
  append::AppendEngine engine(RequestOf(job), report);
  engine.UseOpenConnections(std::move(job.connection1), std::move(job.connection2));
  engine.UseEarlyMark(std::move(job.earlyMark));
  if (!job.refusedFile.isEmpty()) engine.KeepRefusedRowsIn(job.refusedFile);
  if (job.maxRefused > 0) engine.StopAfterRefusedRows(job.maxRefused);
  if (job.fieldCount1 > 0 || job.fieldCount2 > 0) {
    terminal.dialogs.Reword(QStringLiteral("Tables do not have same number of fields (columns)."),
                            FieldCountLine(job));
  }
  // A resume refused is the table's failure, one line as the others.
  terminal.dialogs.Reword(QStringLiteral("The append of "),
                          QStringLiteral("ombrelia: the append of "));
  terminal.dialogs.Reword(QStringLiteral("There is no cut append "),
                          QStringLiteral("ombrelia: there is no cut append "));
  // A plain run meeting a cut one's journal: --resume goes on from it, --start-over starts anew.
  terminal.dialogs.OwnAnswer(QStringLiteral("The last append of "),
                             QStringLiteral("--resume goes on from there, --start-over starts "
                                            "anew."));
  SetAppendJob(terminal.dialogs, engine, run);
  context.running = &engine;
  context.timeoutsSeen = watch.Timeouts();
  if (job.dryRun) {
    DryRunAppend(engine, job, terminal, run, context.interrupted);
  } else {
    RunRows(engine, job, terminal, run);
    run.exitCode = ExitCodeOf(terminal.dialogs, context.interrupted);
  }
  context.running = nullptr;
  run.timedOut = watch.Timeouts() > context.timeoutsSeen;
  std::tie(job.connection1, job.connection2) = engine.HandBackConnections();
  return run;
}

int ExitCodeOf(const TerminalDialogs& dialogs, bool interrupted) {
  if (interrupted) return kInterrupted;
  if (dialogs.Reports() > 0 || dialogs.Declined()) return kRefused;
  return dialogs.SaidDone() || dialogs.SaidEmpty() ? kDone : kRefused;
}

}  // namespace cli
