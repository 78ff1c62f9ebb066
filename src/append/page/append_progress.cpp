#include "append/page/append_progress.h"

#include "controls/progress_bar.h"
#include "platform/desktop/clock.h"
#include "shell/page.h"

namespace append {

void AppendProgress::Busy(bool busy) {
  page_.SetMousePointer(busy ? shell::vbHourglass : shell::vbDefault);
}

void AppendProgress::Reading(qint64 rowsRead) {
  QString text = QStringLiteral("Reading rows...");
  if (rowsRead > 0) text += QLatin1Char(' ') + Grouped(rowsRead) + QStringLiteral(" read");
  ShowText(text, rowsRead == 0);
  writing_ = false;
}

// The value is set for every row; the bar shows it at most once a frame.
void AppendProgress::Progress(qint64 done, qint64 total) {
  bar_.SetValue(static_cast<double>(done) / total * 100.0);
  const qint64 now = platform::NowMilliseconds();
  const QString text = timeLeft_.Text(done, total, now);
  // The first text of the writing, and the last, show at once.
  ShowText(text, !writing_ || done >= total);
  writing_ = true;
}

void AppendProgress::RunEnded() {
  bar_.SetValue(0);
  bar_.SetText(QStringLiteral("Progress Bar"));
  textShownAt_.reset();
  timeLeft_ = TimeLeft();
  writing_ = false;
}

void AppendProgress::ShowText(const QString& text, bool now) {
  const qint64 time = platform::NowMilliseconds();
  if (!now && textShownAt_ && time - *textShownAt_ < kTextMilliseconds) return;
  bar_.SetText(text);
  textShownAt_ = time;
}

}  // namespace append
