// The last steps before a run writes: its mark on the target, so that no other run of the
// program writes there meanwhile, and the target emptied when asked, once every check and
// question has passed, so that a run refused at a check leaves the target's rows where they were.

#include "append/engine/append_engine.h"
#include "append/engine/engine_steps.h"
#include "append/mark/run_mark.h"
#include "catalogue/foreign_keys.h"
#include "jobs/worker.h"
#include "platform/desktop/dialogs.h"

namespace append {
namespace {

const QLatin1String kDbo("dbo");

}  // namespace

// A server that cannot take the mark (it has no application locks) leaves the run unmarked,
// and the command line says so; a lost connection ends the run as any other.
bool AppendEngine::TargetMarked() {
  std::optional<RunMark> mark;
  const bool asked = Completed(on_, 184, [&] {
    try {
      mark = jobs::Wait([&] { return MarkOfTheRun(); });
    } catch (const adodb::Error& error) {
      if (error.ConnectionLost()) throw;
      markFailure_ = error.Description();
      mark = RunMark{true, 0, {}, {}};
    }
  });
  if (!asked) return false;
  targetSchema_ = mark->schema;
  defaultSchema_ = mark->defaultSchema;
  if (mark->taken) return true;
  on_(186, [&] {
    dialogs::MsgBox(QStringLiteral("The append of %1 into %2 did not start: another run of this "
                                   "program is writing into %2 now (the server holds its mark: "
                                   "%3). Nothing was written; run it again once that run ends.")
                        .arg(SourceTable().Display(), TargetTable().Display())
                        .arg(mark->result));
  });
  return false;
}

// The server refuses to empty a table that another one references: said before anything is
// emptied or written.
bool AppendEngine::EmptyingRefused() {
  if (!request_.emptyTarget) return false;
  QStringList children;
  const bool listed = Completed(on_, 188, [&] {
    adodb::Connection& connection = TargetConnection();
    children = jobs::Wait([&] { return MSSQL::TablesReferencing(connection, TargetTable()); });
  });
  if (!listed) return true;
  if (children.isEmpty()) return false;
  on_(190, [&] {
    dialogs::MsgBox(
        QStringLiteral("The append of %1 into %2 cannot empty %2 first: %3 %4 it by a foreign "
                       "key, and TRUNCATE TABLE empties no table that others reference. Nothing "
                       "was emptied or written.")
            .arg(
                SourceTable().Display(), TargetTable().Display(),
                children.join(QStringLiteral(", ")),
                children.size() == 1 ? QStringLiteral("references") : QStringLiteral("reference")));
  });
  return true;
}

// A name proven to resolve to dbo: named so, or bare where the login's default schema is dbo.
bool AppendEngine::EarlyMarkNameProven(const QString& name) const {
  const MSSQL::TableName& target = TargetTable();
  const QString& schema = target.schema.isEmpty() ? request_.targetDefaultSchema : target.schema;
  return !request_.createTarget && schema.compare(kDbo, Qt::CaseInsensitive) == 0 &&
         name == RunMarkName(TargetProfile().Database, kDbo, target.name);
}

// A mark asked for early under a name the checks do not prove goes with its session.
RunMark AppendEngine::MarkOfTheRun() {
  if (const std::unique_ptr<EarlyRunMark> early = std::move(earlyMark_)) {
    const std::optional<RunMark> mark = early->Answer();
    if (mark && EarlyMarkNameProven(early->Name())) {
      markSession_ = early->TakeSession();
      RunMark proven = *mark;
      proven.schema = kDbo;
      proven.defaultSchema = request_.targetDefaultSchema;
      return proven;
    }
  }
  return TakeRunMark(TargetConnection(), TargetTable(), TargetProfile().Database);
}

// After the checks and the questions, before the first row.
bool AppendEngine::TargetEmptied() {
  if (!request_.emptyTarget) return true;
  const bool emptied = Completed(on_, 192, [&] {
    adodb::Connection& connection = TargetConnection();
    jobs::Wait([&] {
      connection.ExecuteNoRecords(QStringLiteral("TRUNCATE TABLE ") + TargetTable().Bracketed());
    });
  });
  if (emptied && counts_.before) counts_.before = 0;
  return emptied;
}

}  // namespace append
