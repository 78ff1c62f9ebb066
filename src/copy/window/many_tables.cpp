#include "copy/window/many_tables.h"

#include <QScopeGuard>
#include <algorithm>

#include "platform/desktop/app.h"
#include "platform/desktop/dialogs.h"

namespace copy {
namespace {

constexpr int kExistingLine = 94;

// A table whose name "Into a new table" finds taken: the user says what becomes of it.
bool Asked(const PlannedTable& table) {
  return table.notRun.isEmpty() && table.targetExists && table.targetRows.has_value();
}

}  // namespace

ManyTables::ManyTables(append::AppendRequest request, std::vector<MSSQL::TableName> sources,
                       jobs::RunReport& report)
    : request_(std::move(request)),
      sources_(std::move(sources)),
      report_(report),
      tableReport_(report) {}

// The tables after a stop are named as not started; a table that fails does not end the others.
void ManyTables::Run() {
  report_.Busy(true);
  if (!Planned() || !ExistingTargetsDecided()) {
    report_.Busy(false);
    return;
  }
  for (std::size_t at = 0; at < sources_.size(); ++at) {
    if (stopRequested_) {
      lines_ << NotStartedLine(sources_[at].Display());
      continue;
    }
    lines_ << AppendOne(at);
    if (app::Ended()) return;
  }
  if (!stopRequested_) MakeLinks();
  dialogs::MsgBox(ManyTablesMessage(lines_, stopRequested_));
  report_.Busy(false);
}

void ManyTables::Stop() {
  stopRequested_ = true;
  if (running_) running_->Stop();
}

QString ManyTables::AppendOne(std::size_t at) {
  const PlannedTable& table = plan_.at(at);
  if (!table.notRun.isEmpty()) return NoTargetLine(sources_[at].Display(), TargetDatabase());
  // The target as the target's list names it: bare in the login's default schema.
  const MSSQL::TableName target =
      table.target.schema.compare(targetSchema_, Qt::CaseInsensitive) == 0
          ? MSSQL::TableName(table.target.name)
          : table.target;
  if (Asked(table) && keepExisting_) {
    return KeptLine(sources_[at].Display(), target.Display(), table.targetRows.value_or(0));
  }
  return RunEngine(at, target, table.Makes());
}

bool ManyTables::ExistingTargetsDecided() {
  QStringList named;
  for (std::size_t at = 0; at < plan_.size(); ++at) {
    if (!Asked(plan_[at])) continue;
    const qint64 rows = plan_[at].targetRows.value_or(0);
    named << QStringLiteral("%1 (%2 %3)")
                 .arg(sources_[at].name)
                 .arg(rows)
                 .arg(rows == 1 ? QStringLiteral("row") : QStringLiteral("rows"));
  }
  if (named.isEmpty()) return true;
  int answer = dialogs::vbCancel;
  on_(kExistingLine, [&] {
    answer = dialogs::MsgBox(
        QStringLiteral("Tables of these names are in Database #%1 already: %2.\r\n\r\nYes "
                       "appends the rows to them, No leaves them as they are and makes the "
                       "others, Cancel appends nothing.")
            .arg(TargetDatabase())
            .arg(named.join(QStringLiteral(", "))),
        dialogs::vbYesNoCancel);
  });
  keepExisting_ = answer == dialogs::vbNo;
  return answer == dialogs::vbYes || answer == dialogs::vbNo;
}

QString ManyTables::RunEngine(std::size_t at, const MSSQL::TableName& target, bool make) {
  const MSSQL::TableName& source = sources_[at];
  append::AppendRequest request = request_;
  (request.appendToDatabase1 ? request.table2 : request.table1) = source;
  (request.appendToDatabase1 ? request.table1 : request.table2) = target;
  request.createTarget = make;
  request.sourceKey = plan_.at(at).sourceKey;
  const std::optional<TableScript>& script = plan_.at(at).script;
  if (make && script) {
    request.script = *script;
    request.linksLater = true;
  }
  append::AppendEngine engine(std::move(request), tableReport_);
  engine.KeepClosingMessage();
  LendSessions(engine);
  running_ = &engine;
  const auto over = qScopeGuard([this] { running_ = nullptr; });
  engine.Run();
  TakeSessionsBack(engine);
  if (const std::optional<MSSQL::TableName> made = engine.MadeTable()) made_.push_back(*made);
  if (engine.ClosingText().isEmpty()) return NotAppendedLine(source.Display());
  const append::AppendEngine::Outcome outcome = engine.Result();
  const bool whole = engine.ClosingText().startsWith(QLatin1String("Done.")) ||
                     engine.ClosingText().startsWith(QLatin1String("No records in table "));
  tables_.push_back({at, lines_.size(), make && outcome.targetMade && whole && script.has_value()});
  return TableLine(source.Display(), target.Display(), outcome);
}

}  // namespace copy
