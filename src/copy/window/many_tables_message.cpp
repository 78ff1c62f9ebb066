// The closing box of an append of several tables: a line for each table, and under a line the
// sentences of its own closing message that say more than its counts (the refused rows' file,
// the new table, the after-check).

#include "copy/window/many_tables.h"

namespace copy {
namespace {

constexpr QLatin1String kLineBreak("\r\n");

QString Rows(qint64 count) {
  return QString::number(count) + (count == 1 ? QStringLiteral(" row") : QStringLiteral(" rows"));
}

// What became of the rows, before any refusal.
QString RowsLine(const QString& target, const append::AppendEngine::Outcome& outcome) {
  if (!outcome.lostCopyLine.isEmpty()) return outcome.lostCopyLine;
  if (outcome.lostDatabase != 0) {
    return QStringLiteral(
               "the connection to Database #%1 was lost after %2 appended, %3 not "
               "written")
        .arg(outcome.lostDatabase)
        .arg(Rows(outcome.appended), Rows(outcome.notWritten));
  }
  if (outcome.stopped) return QStringLiteral("stopped after ") + Rows(outcome.appended);
  return Rows(outcome.appended) + QStringLiteral(" appended to ") + target;
}

}  // namespace

QString TableLine(const QString& source, const QString& target,
                  const append::AppendEngine::Outcome& outcome) {
  QString line = source + QStringLiteral(": ") + RowsLine(target, outcome);
  if (outcome.refused > 0)
    line += QStringLiteral(", ") + Rows(outcome.refused) + QStringLiteral(" refused");
  for (const QString& more : {outcome.refusedFileLine, outcome.newTableLine, outcome.afterCheck}) {
    if (!more.isEmpty()) line += kLineBreak + more;
  }
  for (const QString& object : outcome.objectLines) line += kLineBreak + object;
  return line;
}

QString NotAppendedLine(const QString& source) {
  return source + QStringLiteral(": not appended, as the message shown for it says");
}

QString NoTargetLine(const QString& source, int targetDatabase) {
  return source + QStringLiteral(": not appended, no table of that name in Database #%1")
                      .arg(targetDatabase);
}

QString KeptLine(const QString& source, const QString& target, qint64 rows) {
  return source + QStringLiteral(": left as it is, %1 holds %2").arg(target, Rows(rows));
}

QString NotStartedLine(const QString& source) {
  return source + QStringLiteral(": not started, the run was stopped before it");
}

QString ManyTablesMessage(const QStringList& lines, bool stopped) {
  return (stopped ? QStringLiteral("Stopped.") : QStringLiteral("Done.")) + kLineBreak +
         kLineBreak + lines.join(kLineBreak);
}

}  // namespace copy
