#include "cli/job_summary.h"

namespace cli {
namespace {

QString Rows(qint64 count) {
  return QString::number(count) + (count == 1 ? QStringLiteral(" row") : QStringLiteral(" rows"));
}

QString Seconds(qint64 elapsedMs) {
  return QString::number(static_cast<double>(elapsedMs) / 1000.0, 'f', 1) + QStringLiteral(" s");
}

}  // namespace

QString AppendSummary(const append::AppendEngine::Outcome& outcome, const QString& target,
                      qint64 elapsedMs, const QString& where) {
  QString text;
  if (outcome.atRefusedLimit) {
    text = QStringLiteral("Stopped at the limit of %1 refused: ").arg(Rows(outcome.refused));
  } else if (outcome.stopped) {
    text = QStringLiteral("Stopped: ");
  }
  text += Rows(outcome.appended) + QStringLiteral(" appended to ") + target;
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
