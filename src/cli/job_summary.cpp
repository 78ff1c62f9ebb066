#include "cli/job_summary.h"

#include "cli/engine_jobs.h"
#include "cli/json_report.h"

namespace cli {
namespace {

QString Rows(qint64 count) {
  return QString::number(count) + (count == 1 ? QStringLiteral(" row") : QStringLiteral(" rows"));
}

QString Seconds(qint64 elapsedMs) {
  return QString::number(static_cast<double>(elapsedMs) / 1000.0, 'f', 1) + QStringLiteral(" s");
}

QString WayWords(const std::optional<append::AppendEngine::Way>& way) {
  using Way = append::AppendEngine::Way;
  if (!way) return {};
  switch (*way) {
    case Way::OneInsertARow:
      return QStringLiteral(", one INSERT a row");
    case Way::Batches:
      return QStringLiteral(", in batches");
    case Way::ServerCopy:
      return QStringLiteral(", by the server's own copy");
  }
  return {};
}

}  // namespace

QString TableLine(const TableRun& run) {
  QString text = run.source + QStringLiteral(" -> ") + run.target + QStringLiteral(": ");
  if (!run.notRun.isEmpty()) return text + QStringLiteral("not appended: ") + run.notRun + u'.';
  if (!run.kept.isEmpty()) return text + run.kept + u'.';
  if (run.plan) {
    text += QStringLiteral("would go") + WayWords(run.plan->way) + QStringLiteral(", ") +
            Rows(run.plan->sourceRows);
    if (run.emptiesTarget) text += QStringLiteral(", into the target emptied first");
    if (!run.plan->script.isEmpty()) return text + QStringLiteral(", into the table made first.");
    if (!run.plan->targetRows) return text + u'.';
    text += QStringLiteral("; the target holds %1 now").arg(Rows(*run.plan->targetRows));
    // A target emptied first keeps none of them.
    if (run.emptiesTarget) return text + u'.';
    if (run.plan->keysThere) {
      return text +
             QStringLiteral(", %1 of the source's keys among them.").arg(*run.plan->keysThere);
    }
    if (!run.plan->keysNotCounted.isEmpty()) {
      return text + QStringLiteral(" (the source's keys among them could not be counted: %1).")
                        .arg(run.plan->keysNotCounted);
    }
    return text + u'.';
  }
  if (!run.outcome) return text + OutcomeWord(run) + u'.';
  const append::AppendEngine::Outcome& outcome = *run.outcome;
  if (outcome.targetMade) text += QStringLiteral("made; ");
  text += Rows(outcome.appended) + QStringLiteral(" appended") + WayWords(outcome.way);
  if (outcome.refused > 0) text += QStringLiteral(", %1 refused").arg(outcome.refused);
  text += QStringLiteral(", in ") + Seconds(run.elapsedMs);
  if (run.exitCode != kDone) text += QStringLiteral(" (") + OutcomeWord(run) + u')';
  return text + u'.';
}

QString TotalLine(const std::vector<TableRun>& runs, qint64 elapsedMs) {
  const RunTotals totals = TotalsOf(runs);
  const qsizetype count = static_cast<qsizetype>(runs.size());
  QString text = QStringLiteral("%1 tables: %2 got every row").arg(count).arg(totals.complete);
  if (totals.complete < count) text += QStringLiteral(", %1 did not").arg(count - totals.complete);
  text += QStringLiteral("; ") + Rows(totals.appended) + QStringLiteral(" appended");
  if (totals.refused > 0) text += QStringLiteral(", %1 refused").arg(totals.refused);
  return text + QStringLiteral(", in ") + Seconds(elapsedMs) + u'.';
}

QString AppendSummary(const append::AppendEngine::Outcome& outcome, const QString& target,
                      qint64 elapsedMs, const QString& where) {
  QString text;
  if (outcome.atRefusedLimit) {
    text = QStringLiteral("Stopped at the limit of %1 refused: ").arg(Rows(outcome.refused));
  } else if (outcome.stopped) {
    text = QStringLiteral("Stopped: ");
  }
  text += Rows(outcome.appended) + QStringLiteral(" appended to ") + target;
  if (outcome.rowsBefore) {
    text += QStringLiteral(" after the ") + Rows(*outcome.rowsBefore) +
            QStringLiteral(" the cut run wrote");
  }
  if (!where.isEmpty()) text += QStringLiteral(" (the source's rows where ") + where + u')';
  if (outcome.refused > 0) text += QStringLiteral(", %1 refused").arg(outcome.refused);
  if (outcome.lostDatabase != 0) {
    text += QStringLiteral(", %1 not written (the connection to Database #%2 was lost)")
                .arg(outcome.notWritten)
                .arg(outcome.lostDatabase);
  }
  const qint64 perSecond = outcome.appended * 1000 / std::max<qint64>(1, elapsedMs);
  text += QStringLiteral(", in %1 (%2 rows/s)").arg(Seconds(elapsedMs)).arg(perSecond);
  if (outcome.targetRows) text += QStringLiteral("; the table holds ") + Rows(*outcome.targetRows);
  return text + QLatin1Char('.');
}

QString JoinSummary(const QString& table, std::optional<qint64> rows, qint64 elapsedMs) {
  QString text = QStringLiteral("Joined into ") + table;
  if (rows) text += QStringLiteral(": ") + Rows(*rows);
  return text + QStringLiteral(", in %1.").arg(Seconds(elapsedMs));
}

}  // namespace cli
