#include "cli/engine_jobs.h"

#include <QElapsedTimer>

#include "append/append_engine.h"
#include "catalogue/catalogue.h"
#include "cli/job_summary.h"
#include "cli/stop_on_interrupt.h"
#include "connections/encryption.h"
#include "join/field_name_registry.h"
#include "join/join_engine.h"
#include "platform/adodb.h"

namespace cli {
namespace {

// The append's reports of its row writes: a refused row, which is lost alone while the others
// go on, or the lost connection, after which the engine ends the run with its closing message.
const QString kAppendLocation = QStringLiteral("Form3.PushButton2_Click");
constexpr int kRowWriteLine = 148;

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

// Where the refused rows are, and what the after-check found, are said also with --quiet: the
// user has rows to repair, or a table that did not grow as it should.
void ReportRefusedAndChecked(const append::AppendEngine::Outcome& outcome, bool closed,
                             Console& console) {
  if (!outcome.refusedFileLine.isEmpty()) console.Message(outcome.refusedFileLine);
  if (closed && !outcome.afterCheck.isEmpty()) console.Message(outcome.afterCheck);
}

}  // namespace

int RunJoin(const JoinJob& job, JobTerminal& terminal) {
  TerminalReport report(terminal.progress);
  FieldNameRegistry registry;
  JoinEngine engine(report, registry);
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
    terminal.console.Message(
        JoinSummary(job.newTable, CountRows(job.profile1, job.newName), elapsed));
  }
  return ExitCodeOf(terminal.dialogs, interrupt.Interrupted());
}

int RunAppend(AppendJob& job, JobTerminal& terminal) {
  TerminalReport report(terminal.progress);
  append::AppendEngine engine(
      {job.table1, job.table2, job.appendToDatabase1, job.profile1, job.profile2, job.fast},
      report);
  engine.UseOpenConnections(std::move(job.connection1), std::move(job.connection2));
  if (!job.refusedFile.isEmpty()) engine.KeepRefusedRowsIn(job.refusedFile);
  const StopOnInterrupt interrupt(terminal.console, [&] { engine.Stop(); });
  const QString source = job.appendToDatabase1 ? job.qualified2 : job.qualified1;
  const QString target = job.appendToDatabase1 ? job.qualified1 : job.qualified2;
  terminal.dialogs.SetJob(
      [&](const QString& location, int line) {
        if (location == kAppendLocation && line == kRowWriteLine) {
          return ReportWords{QStringLiteral("cannot write a row to ") + target, false};
        }
        return ReportWords{QStringLiteral("cannot append %1 to %2").arg(source, target), true};
      },
      [&] { engine.Stop(); });
  QElapsedTimer timer;
  timer.start();
  engine.Run();
  const append::AppendEngine::Outcome outcome = engine.Result();
  const bool closed = terminal.dialogs.Closed() && !terminal.dialogs.Failed();
  if (closed && !terminal.quiet) {
    terminal.console.Message(AppendSummary(outcome, target, timer.elapsed()));
  }
  ReportRefusedAndChecked(outcome, closed, terminal.console);
  return ExitCodeOf(terminal.dialogs, interrupt.Interrupted());
}

int ExitCodeOf(const TerminalDialogs& dialogs, bool interrupted) {
  if (interrupted) return kInterrupted;
  if (dialogs.Reports() > 0 || dialogs.Declined()) return kRefused;
  return dialogs.SaidDone() || dialogs.SaidEmpty() ? kDone : kRefused;
}

}  // namespace cli
