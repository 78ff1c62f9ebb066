// The after-check: the target's rows are counted before the first row and after the last, on
// the target's connection, and the closing message says so when the target grew by other than
// the rows the run appended (a trigger that deletes, another program writing meanwhile).

#include <algorithm>

#include "append/engine/append_engine.h"
#include "append/engine/count_text.h"
#include "append/engine/row_count.h"
#include "append/ways/append_statements.h"
#include "jobs/worker.h"
#include "shell/trap.h"

namespace append {
namespace {

const QString kNotChecked = QStringLiteral("The target table's growth could not be checked: ");

}  // namespace

// The fast ways' look at the target counted its rows in the same statement; that count serves
// when nothing has waited on the user since (a question about the columns may take minutes, and
// the target may change meanwhile).
void AppendEngine::CountTargetBefore() {
  const std::optional<qint64> counted = TargetFacts().rows;
  counts_.before = counted && !askedAboutColumns_ ? counted : CountTargetRows();
}

// Nothing more is sent on a lost connection; without a count before there is nothing to compare.
// The server's own copy may have counted the target already; one cut off says how to tell what
// it wrote instead.
void AppendEngine::CountTargetAfter() {
  if (!counts_.before || counts_.after || lostDatabase_ == TargetDatabase() || lostDuringCopy_) {
    return;
  }
  counts_.after = CountTargetRows();
}

// A statement given up for time may have committed before the cancel reached it, or, as the
// server's own copy, run on to its end: the target is counted once every statement writing it
// has ended, and what it gained is what the run wrote. Not counted, the run says that the
// statement may have written.
void AppendEngine::CountWhatTheGivenUpStatementWrote() {
  timedOut_ = true;
  if (!counts_.before) return;
  try {
    adodb::Connection& connection = TargetConnection();
    counts_.after = jobs::Wait([&] { return CountRowsAfterWriters(connection, TargetTable()); });
  } catch (...) {
    counts_.failure = shell::DescriptionOf(std::current_exception());
    return;
  }
  appended_ = std::max<qint64>(0, *counts_.after - *counts_.before);
}

// Right after the server's own copy, on the worker: the rows its statement wrote and the
// target's rows, in one statement. ROWCOUNT_BIG() is still the copy's there, whatever a
// trigger's statements wrote. Empty when there was no count before or the server refuses the
// statement (then the copy's count is the driver's, and the target is counted on its own).
std::optional<qint64> AppendEngine::CountCopyAndTarget(adodb::Connection& connection) {
  if (!counts_.before) return std::nullopt;
  try {
    const std::unique_ptr<adodb::Recordset> row =
        connection.Execute(QStringLiteral("SELECT ROWCOUNT_BIG(), (") +
                           CountStatement(TargetTable(), counts_.countBig) + QLatin1Char(')'));
    if (row->Eof() || row->FieldValue(0).IsNull() || row->FieldValue(1).IsNull()) {
      return std::nullopt;
    }
    counts_.after = row->FieldValue(1).text.toLongLong();
    return row->FieldValue(0).text.toLongLong();
  } catch (const adodb::Error&) {
    return std::nullopt;
  }
}

// A count that fails leaves the check undone, with the server's text for the message.
std::optional<qint64> AppendEngine::CountTargetRows() {
  try {
    adodb::Connection& connection = TargetConnection();
    return jobs::Wait([&] { return CountRows(connection, TargetTable(), counts_.countBig); });
  } catch (...) {
    counts_.failure = shell::DescriptionOf(std::current_exception());
    return std::nullopt;
  }
}

// Empty when the growth is the rows appended, or when no count was made (no row was to go).
QString AppendEngine::AfterCheckLine() const {
  if (lostDuringCopy_) return {};  // the copy's own line says how to tell what it wrote
  if (counts_.before && counts_.after) {
    const qint64 growth = *counts_.after - *counts_.before;
    if (growth == appended_) return {};
    const QString change = growth >= 0
                               ? QStringLiteral("The target table grew by ") + RowsText(growth)
                               : QStringLiteral("The target table shrank by ") + RowsText(-growth);
    return change + QStringLiteral(", but ") + CountText(appended_) +
           (appended_ == 1 ? QStringLiteral(" was") : QStringLiteral(" were")) +
           QStringLiteral(" appended: another program may have changed it meanwhile.");
  }
  if (counts_.before && lostDatabase_ == TargetDatabase()) {
    return kNotChecked + QStringLiteral("the connection to it was lost.");
  }
  return counts_.failure.isEmpty() ? QString() : kNotChecked + counts_.failure;
}

}  // namespace append
