#include "cli/engine_jobs.h"

#include "append/append_engine.h"
#include "catalogue/catalogue.h"
#include "cli/stop_on_interrupt.h"
#include "join/field_name_registry.h"
#include "join/join_engine.h"
#include "platform/error.h"

namespace cli {
namespace {

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

// A table typed as `tables` lists it. A database that cannot be listed leaves the name as it
// stands; the run then reports what the server says of it.
MSSQL::TableName Typed(const ConnectionProfile& profile, const QString& typed) {
  try {
    return MSSQL::TypedTable(profile, typed);
  } catch (const platform::Error&) {
    return MSSQL::TableName(typed);
  }
}

}  // namespace

// The overwrite question looks among the tables the join page would list.
int RunJoin(const JoinJob& job, JobTerminal& terminal) {
  const std::vector<MSSQL::TableName> tables1 = MSSQL::Tables(job.profile1);
  TerminalReport report(terminal.progress);
  FieldNameRegistry registry;
  JoinEngine engine(report, registry);
  const StopOnInterrupt interrupt(terminal.console, [&] { engine.Stop(); });
  engine.Run(JoinSelection{Typed(job.profile1, job.table1), job.field1,
                           Typed(job.profile1, job.table2), job.field2},
             job.profile1, tables1);
  return ExitCodeOf(terminal.dialogs);
}

int RunAppend(const AppendJob& job, JobTerminal& terminal) {
  TerminalReport report(terminal.progress);
  append::AppendEngine engine({Typed(job.profile1, job.table1), Typed(job.profile2, job.table2),
                               job.appendToDatabase1, job.profile1, job.profile2, job.fast},
                              report);
  const StopOnInterrupt interrupt(terminal.console, [&] { engine.Stop(); });
  engine.Run();
  return ExitCodeOf(terminal.dialogs);
}

int ExitCodeOf(const TerminalDialogs& dialogs) {
  return dialogs.SaidDone() && dialogs.Reports() == 0 && !dialogs.Declined() ? kDone : kRefused;
}

}  // namespace cli
