#include "cli/json_report.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace cli {
namespace {

using Way = append::AppendEngine::Way;

QJsonValue Count(const std::optional<qint64>& count) {
  return count ? QJsonValue(static_cast<double>(*count)) : QJsonValue(QJsonValue::Null);
}

QJsonValue WayWord(const std::optional<Way>& way) {
  if (!way) return QJsonValue(QJsonValue::Null);
  switch (*way) {
    case Way::OneInsertARow:
      return QStringLiteral("one-insert-a-row");
    case Way::Batches:
      return QStringLiteral("batches");
    case Way::ServerCopy:
      return QStringLiteral("server-copy");
  }
  return QJsonValue(QJsonValue::Null);
}

double Seconds(qint64 elapsedMs) {
  return static_cast<double>(elapsedMs) / 1000.0;
}

QString Line(const QJsonObject& object) {
  return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

}  // namespace

QString OutcomeWord(const TableRun& run) {
  if (!run.notRun.isEmpty()) return QStringLiteral("not run");
  if (run.plan) return QStringLiteral("dry run");
  if (run.timedOut) return QStringLiteral("timed out");
  if (run.exitCode == kInterrupted) return QStringLiteral("interrupted");
  if (run.exitCode == kDone) return QStringLiteral("done");
  if (run.outcome && run.outcome->stopped) return QStringLiteral("stopped");
  if (run.outcome && run.outcome->refused > 0) return QStringLiteral("rows refused");
  // Every row went into a made table that lacks an index, a constraint or a trigger.
  if (run.outcome && !run.outcome->objectLines.isEmpty()) return QStringLiteral("incomplete");
  return QStringLiteral("failed");
}

QString TableJson(const TableRun& run) {
  QJsonObject object{{QStringLiteral("kind"), QStringLiteral("table")},
                     {QStringLiteral("source"), run.source},
                     {QStringLiteral("target"), run.target}};
  if (run.doneBefore) {
    object.insert(QStringLiteral("done_before"), true);
  } else if (!run.kept.isEmpty()) {
    object.insert(QStringLiteral("existing"), QStringLiteral("kept"));
  }
  if (run.plan) {
    object.insert(QStringLiteral("way"), WayWord(run.plan->way));
    object.insert(QStringLiteral("source_rows"), static_cast<double>(run.plan->sourceRows));
    object.insert(QStringLiteral("target_rows"), Count(run.plan->targetRows));
    if (run.plan->keysThere && !run.emptiesTarget) {
      object.insert(QStringLiteral("source_keys_there"), Count(run.plan->keysThere));
    }
    if (run.plan->resumedBefore) {
      object.insert(QStringLiteral("appended_before_resume"),
                    static_cast<double>(*run.plan->resumedBefore));
    }
    if (!run.plan->notResumable.isEmpty()) {
      object.insert(QStringLiteral("not_resumable"), run.plan->notResumable);
    }
    if (!run.plan->script.isEmpty()) {
      object.insert(QStringLiteral("script"), QJsonArray::fromStringList(run.plan->script));
    }
  } else {
    const append::AppendEngine::Outcome outcome =
        run.outcome.value_or(append::AppendEngine::Outcome{});
    object.insert(QStringLiteral("way"), WayWord(outcome.way));
    object.insert(QStringLiteral("rows_before"), Count(outcome.targetBefore));
    object.insert(QStringLiteral("rows_after"), Count(outcome.targetRows));
    object.insert(QStringLiteral("appended"), static_cast<double>(outcome.appended));
    if (outcome.rowsBefore) {
      object.insert(QStringLiteral("appended_before_resume"),
                    static_cast<double>(*outcome.rowsBefore));
    }
    object.insert(QStringLiteral("refused"), static_cast<double>(outcome.refused));
    object.insert(QStringLiteral("refused_file"), outcome.refusedFile.isEmpty()
                                                      ? QJsonValue(QJsonValue::Null)
                                                      : QJsonValue(outcome.refusedFile));
    object.insert(QStringLiteral("seconds"), Seconds(run.elapsedMs));
    object.insert(QStringLiteral("made"), outcome.targetMade);
    if (!outcome.objectLines.isEmpty()) {
      object.insert(QStringLiteral("not_made"), QJsonArray::fromStringList(outcome.objectLines));
    }
  }
  object.insert(QStringLiteral("outcome"), OutcomeWord(run));
  if (!run.notRun.isEmpty()) object.insert(QStringLiteral("reason"), run.notRun);
  return Line(object);
}

RunTotals TotalsOf(const std::vector<TableRun>& runs) {
  RunTotals totals;
  for (const TableRun& run : runs) {
    if (run.outcome) {
      totals.appended += run.outcome->appended;
      totals.refused += run.outcome->refused;
    }
    if (run.exitCode == kDone && run.notRun.isEmpty()) ++totals.complete;
  }
  return totals;
}

QString RunJson(const std::vector<TableRun>& runs, qint64 elapsedMs, int exitCode) {
  const RunTotals totals = TotalsOf(runs);
  QString outcome = QStringLiteral("done");
  if (exitCode == kInterrupted) {
    outcome = QStringLiteral("interrupted");
  } else if (exitCode != kDone) {
    outcome = QStringLiteral("incomplete");
  }
  return Line({{QStringLiteral("kind"), QStringLiteral("run")},
               {QStringLiteral("tables"), static_cast<int>(runs.size())},
               {QStringLiteral("complete"), totals.complete},
               {QStringLiteral("appended"), static_cast<double>(totals.appended)},
               {QStringLiteral("refused"), static_cast<double>(totals.refused)},
               {QStringLiteral("seconds"), Seconds(elapsedMs)},
               {QStringLiteral("outcome"), outcome},
               {QStringLiteral("exit_code"), exitCode}});
}

}  // namespace cli
