#include "cli/append_plan_text.h"

namespace cli {
namespace {

using Plan = append::AppendEngine::Plan;
using Why = append::AppendEngine::Why;

QString WayLine(const Plan& plan) {
  switch (plan.why) {
    case Why::NotFast:
      break;
    case Why::OneServer:
      return QStringLiteral(
          "Way: the server's own copy, one INSERT ... SELECT (both logins reach one server, as the "
          "servers proved); in batches should the server refuse it.");
    case Why::OneServerByPosition:
      return QStringLiteral(
          "Way: batches of up to 1000 rows a statement (both logins reach one server, but the "
          "target takes the columns by position, which the server's copy cannot).");
    case Why::NotProvenOneServer:
      return QStringLiteral(
          "Way: batches of up to 1000 rows a statement (the servers did not prove that both "
          "logins reach one server).");
  }
  return QStringLiteral("Way: one INSERT a row (--one-by-one).");
}

QString Rows(qint64 count) {
  return QString::number(count) + (count == 1 ? QStringLiteral(" row") : QStringLiteral(" rows"));
}

}  // namespace

// Each statement followed by GO, as a script run by hand in SQL Server's tools takes it.
QStringList ScriptLines(const QStringList& statements) {
  QStringList lines;
  for (const QString& statement : statements) lines << statement << QStringLiteral("GO");
  return lines;
}

QStringList AppendPlanLines(const Plan& plan, const QString& source, const QString& target,
                            const QString& where) {
  QStringList lines;
  if (!plan.script.isEmpty()) {
    lines << QStringLiteral("New table: ") + target + QStringLiteral(", made with:");
    lines += ScriptLines(plan.script);
    for (const QString& line : plan.leftOut) lines << QStringLiteral("-- Not made: ") + line;
  }
  lines << WayLine(plan) << QStringLiteral("Columns (source -> target):");
  for (const QString& pair : plan.columns) lines << QStringLiteral("  ") + pair;
  QString rows = QStringLiteral("Source rows that would go: ") + Rows(plan.sourceRows) +
                 QStringLiteral(" of ") + source;
  if (!where.isEmpty()) rows += QStringLiteral(" where ") + where;
  lines << rows + QLatin1Char('.');
  if (!plan.script.isEmpty()) {
    lines << QStringLiteral("Target rows now: none, the table %1 is not there yet.").arg(target);
  } else {
    lines << (plan.targetRows
                  ? QStringLiteral("Target rows now: %1 in %2.").arg(Rows(*plan.targetRows), target)
                  : QStringLiteral("Target rows now: not counted (%1).").arg(target));
  }
  if (plan.keysThere) {
    lines << QStringLiteral("Source keys the target holds already: %1.").arg(*plan.keysThere);
  } else if (!plan.keysNotCounted.isEmpty()) {
    lines << QStringLiteral("Source keys the target holds already: not counted (%1).")
                 .arg(plan.keysNotCounted);
  }
  if (plan.resumedBefore) {
    QString from = QStringLiteral("Resume: goes on from the cut run, which wrote %1")
                       .arg(Rows(*plan.resumedBefore));
    if (!plan.resumeAfter.isEmpty()) {
      from +=
          QStringLiteral(", after the key (%1)").arg(plan.resumeAfter.join(QStringLiteral(", ")));
    }
    lines << from + QLatin1Char('.');
  }
  if (plan.selfReferencing) {
    lines << QStringLiteral(
        "The target references itself: a row refused because its parent comes later is "
        "tried again once the others are written.");
  }
  if (!plan.notResumable.isEmpty()) {
    QString why = plan.notResumable;
    if (!why.endsWith(u'.')) why += u'.';
    lines << QStringLiteral("Resume: a run cut off could not go on where it stopped (--resume): ") +
                 why;
  }
  return lines;
}

}  // namespace cli
