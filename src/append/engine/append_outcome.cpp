#include <algorithm>

#include "append/engine/append_engine.h"
#include "platform/desktop/dialogs.h"

namespace append {

// The rows not written are counted as the closing message counts them.
AppendEngine::Outcome AppendEngine::Result() const {
  Outcome outcome{appended_,
                  refused_.rows.Count(),
                  0,
                  lostDatabase_,
                  stopped_,
                  refused_.file ? refused_.file->Path() : QString(),
                  refused_.file ? refused_.file->Line() : QString(),
                  counts_.after,
                  AfterCheckLine(),
                  refused_.atLimit,
                  NewTargetLine(),
                  LostCopyLine(),
                  wayTaken_,
                  counts_.before};
  outcome.journalLine = JournalLine();
  outcome.leftBehindLine = LeftBehindLine();
  outcome.targetMade = madeTarget_;
  outcome.objectLines = ObjectLines();
  if (!markFailure_.isEmpty()) {
    outcome.unmarkedLine =
        QStringLiteral(
            "%1's server could not mark this run as writing into it (%2): another run "
            "could have written there at the same time.")
            .arg(TargetTable().Display(), markFailure_);
  }
  if (resume_.carried) {
    outcome.rowsBefore = resume_.carried->appended;
    outcome.resumedLine = ResumedLine();
  }
  if (lostDatabase_ != 0 && !lostDuringCopy_) {
    outcome.notWritten = std::max<qint64>(0, totalRows_ - appended_ - refused_.rows.Count());
  }
  return outcome;
}

void AppendEngine::ShowClosing(const QString& text) {
  if (keepClosing_) {
    closingText_ = text;
  } else {
    dialogs::MsgBox(text);
  }
}

}  // namespace append
