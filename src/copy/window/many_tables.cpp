#include "copy/window/many_tables.h"

#include <QScopeGuard>
#include <algorithm>

#include "platform/desktop/app.h"
#include "platform/desktop/dialogs.h"

namespace copy {
namespace {

constexpr int kExistingLine = 94;

}  // namespace

ManyTables::ManyTables(append::AppendRequest request, std::vector<MSSQL::TableName> sources,
                       std::vector<MSSQL::TableName> targets, jobs::RunReport& report)
    : request_(std::move(request)),
      sources_(std::move(sources)),
      targets_(std::move(targets)),
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
  const std::optional<MSSQL::TableName> target = TargetOf(sources_[at]);
  if (!target) return NoTargetLine(sources_[at].Display(), TargetDatabase());
  const std::optional<qint64> there =
      at < existingRows_.size() ? existingRows_[at] : std::optional<qint64>();
  if (there && keepExisting_) return KeptLine(sources_[at].Display(), target->Display(), *there);
  return RunEngine(at, *target, request_.createTarget && !there);
}

bool ManyTables::ExistingTargetsDecided() {
  QStringList named;
  for (std::size_t at = 0; at < existingRows_.size(); ++at) {
    if (!existingRows_[at]) continue;
    const qint64 rows = *existingRows_[at];
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
  if (make && at < scripts_.size()) {
    request.script = scripts_[at];
    request.linksLater = true;
  }
  append::AppendEngine engine(std::move(request), tableReport_);
  engine.KeepClosingMessage();
  running_ = &engine;
  const auto over = qScopeGuard([this] { running_ = nullptr; });
  engine.Run();
  if (const std::optional<MSSQL::TableName> made = engine.MadeTable()) made_.push_back(*made);
  if (engine.ClosingText().isEmpty()) return NotAppendedLine(source.Display());
  const append::AppendEngine::Outcome outcome = engine.Result();
  const bool whole = engine.ClosingText().startsWith(QLatin1String("Done.")) ||
                     engine.ClosingText().startsWith(QLatin1String("No records in table "));
  tables_.push_back(
      {at, lines_.size(), make && outcome.targetMade && whole && at < scripts_.size()});
  return TableLine(source.Display(), target.Display(), outcome);
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

}  // namespace copy
