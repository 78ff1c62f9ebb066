// The dry run: the run's own logins, checks, questions and decisions, up to the first row, and
// then what the run would do instead of doing it. Nothing is written: no row, no IDENTITY_INSERT,
// no file of refused rows, no new table (its statement is shown instead).

#include "append/engine/append_engine.h"
#include "append/engine/engine_steps.h"
#include "append/ways/append_statements.h"
#include "jobs/worker.h"

#include <algorithm>

namespace append {
namespace {

QString ColumnName(const MSSQL::TableFacts& facts, std::size_t at) {
  if (at < facts.columns.size()) return facts.columns[at].name;
  return QStringLiteral("column %1").arg(at + 1);
}

}  // namespace

std::optional<AppendEngine::Plan> AppendEngine::DryRun() {
  if (SelectionMissing()) return std::nullopt;
  on_(104, [&] { report_.Busy(true); });
  std::optional<Plan> plan;
  QStringList script;
  QStringList leftOut;
  if (PrepareConnections() && OpenConnections() && TargetMarked() && !EmptyingRefused() &&
      NewTargetPlanned(script, leftOut) && FieldCountsMatch()) {
    if (request_.fast) ProveOneServer();
    if (LookAtColumns() == Next::Continue && ResumeOfTheDryRun()) plan = PlanOfTheRun();
  }
  if (plan) {
    plan->script = script;
    plan->leftOut = leftOut;
  }
  Finish();
  return plan;
}

// The way is decided as the run decides it; the rows are counted on the source's own login, as
// the batches and the one INSERT a row count them. A count that fails is reported as in a run,
// and the dry run ends there.
std::optional<AppendEngine::Plan> AppendEngine::PlanOfTheRun() {
  Plan plan;
  if (!request_.fast) {
    plan.way = Way::OneInsertARow;
  } else if (ServerCopies()) {
    plan.way = Way::ServerCopy;
    plan.why = Why::OneServer;
  } else {
    plan.way = Way::Batches;
    plan.why = OnOneServer() ? Why::OneServerByPosition : Why::NotProvenOneServer;
  }
  // The batches and the one INSERT a row name the columns the server fills.
  if (plan.way != Way::ServerCopy) TargetFillsRead();
  if (plan.way == Way::OneInsertARow &&
      !Completed(on_, 196, [&] { plan.selfReferencing = TargetReferencesItself(); })) {
    return std::nullopt;
  }
  plan.columns = FacingColumns();
  if (!SourceLoginOpened() || !CountSourceRows() || !KeyRead()) return std::nullopt;
  plan.sourceRows = totalRows_;
  if (resume_.key->columns.isEmpty())
    plan.notResumable = SourceTable().Display() + u' ' + resume_.key->why;
  if (resume_.carried) plan.resumedBefore = resume_.carried->appended;
  plan.resumeAfter = resume_.after;
  // A table to be made holds no row yet.
  plan.targetRows = request_.createTarget ? std::optional<qint64>(0) : CountTargetRows();
  CountKeysThere(plan);
  return plan;
}

// On one server, into a target that is not emptied first, the source's session compares the
// keys: rows whose key the target holds already would be refused as doubles, or written twice
// where the target has no key of its own. The key's columns are looked for by name in the
// target; a failed count is said, and the dry run goes on.
void AppendEngine::CountKeysThere(Plan& plan) {
  if (!OnOneServer() || request_.emptyTarget || plan.targetRows.value_or(0) == 0 || !resume_.key ||
      resume_.key->columns.isEmpty() || TargetDatabaseName().isEmpty()) {
    return;
  }
  const std::vector<MSSQL::ColumnFacts>& columns = TargetFacts().columns;
  for (const QString& key : resume_.key->columns) {
    if (std::none_of(columns.begin(), columns.end(), [&](const MSSQL::ColumnFacts& column) {
          return column.name.compare(key, Qt::CaseInsensitive) == 0;
        })) {
      return;
    }
  }
  MSSQL::TableName target = TargetTable();
  if (target.schema.isEmpty()) target.schema = TargetFacts().schema;
  const QString statement = KeysThereStatement(SourceTable(), TargetDatabaseName(), target,
                                               resume_.key->columns, SourceCondition());
  try {
    adodb::Connection& source = SourceConnection();
    plan.keysThere = jobs::Wait([&] {
      return adodb::ExecuteForOneRow(source, statement)->FieldValue(0).text.toLongLong();
    });
  } catch (const adodb::Error& error) {
    plan.keysNotCounted = error.Description();
  }
}

// --resume: the cut run is found and checked as the run checks it, and the rows the plan counts
// are those after its last key. Its journal stays as it is.
bool AppendEngine::ResumeOfTheDryRun() {
  if (request_.resume != AppendRequest::Resume::Yes &&
      request_.resume != AppendRequest::Resume::Force) {
    return true;
  }
  dryRun_ = true;
  return DecideResume() == Next::Continue;
}

// "Name -> Label" for each target column a row fills, in the target's order; a column the
// server fills itself takes no value.
QStringList AppendEngine::FacingColumns() const {
  const MSSQL::TableFacts& source = SourceFacts();
  const MSSQL::TableFacts& target = TargetFacts();
  QStringList lines;
  std::size_t written = 0;
  for (std::size_t at = 0; at < static_cast<std::size_t>(target.fieldCount); ++at) {
    const QString name = ColumnName(target, at);
    if (at < target.columns.size() && !target.columns[at].Writable() &&
        !insertTarget_.columnList.isEmpty()) {
      lines << QStringLiteral("(filled by the server) -> ") + name;
      continue;
    }
    const std::size_t from =
        insertTarget_.columnList.isEmpty() ? at : insertTarget_.positions.at(written++);
    lines << ColumnName(source, from) + QStringLiteral(" -> ") + name;
  }
  return lines;
}

}  // namespace append
