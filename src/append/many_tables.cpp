#include "append/many_tables.h"

#include <QScopeGuard>
#include <algorithm>

#include "platform/desktop/app.h"
#include "platform/desktop/dialogs.h"

namespace append {

ManyTables::ManyTables(AppendRequest request, std::vector<MSSQL::TableName> sources,
                       std::vector<MSSQL::TableName> targets, jobs::RunReport& report)
    : request_(std::move(request)),
      sources_(std::move(sources)),
      targets_(std::move(targets)),
      report_(report),
      tableReport_(report) {}

// The tables after a stop are named as not started; a table that fails does not end the others.
void ManyTables::Run() {
  report_.Busy(true);
  for (const MSSQL::TableName& source : sources_) {
    if (stopRequested_) {
      lines_ << NotStartedLine(source.Display());
      continue;
    }
    lines_ << AppendOne(source);
    if (app::Ended()) return;
  }
  dialogs::MsgBox(ManyTablesMessage(lines_, stopRequested_));
  report_.Busy(false);
}

void ManyTables::Stop() {
  stopRequested_ = true;
  if (running_) running_->Stop();
}

QString ManyTables::AppendOne(const MSSQL::TableName& source) {
  const std::optional<MSSQL::TableName> target = TargetOf(source);
  if (!target) return NoTargetLine(source.Display(), TargetDatabase());
  return RunEngine(source, *target);
}

QString ManyTables::RunEngine(const MSSQL::TableName& source, const MSSQL::TableName& target) {
  AppendRequest request = request_;
  (request.appendToDatabase1 ? request.table2 : request.table1) = source;
  (request.appendToDatabase1 ? request.table1 : request.table2) = target;
  AppendEngine engine(std::move(request), tableReport_);
  engine.KeepClosingMessage();
  running_ = &engine;
  const auto over = qScopeGuard([this] { running_ = nullptr; });
  engine.Run();
  if (const std::optional<MSSQL::TableName> made = engine.MadeTable()) made_.push_back(*made);
  if (engine.ClosingText().isEmpty()) return NotAppendedLine(source.Display());
  return TableLine(source.Display(), target.Display(), engine.Result());
}

// A new table takes the source's name in the target login's default schema, as the name a
// single new table is offered; otherwise the target is the listed table that reads as the
// source does.
std::optional<MSSQL::TableName> ManyTables::TargetOf(const MSSQL::TableName& source) const {
  if (request_.createTarget) return MSSQL::TableName(source.name);
  const auto same = std::find_if(targets_.begin(), targets_.end(), [&](const auto& target) {
    return target.Display() == source.Display();
  });
  if (same == targets_.end()) return std::nullopt;
  return *same;
}

}  // namespace append
