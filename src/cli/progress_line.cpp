#include "cli/progress_line.h"

#include "platform/desktop/terminal.h"

namespace cli {
namespace {

constexpr qint64 kInPlaceEveryMs = 100;
constexpr qint64 kLineEveryMs = 1000;

QString Duration(qint64 seconds) {
  if (seconds < 60) return QStringLiteral("%1 s").arg(seconds);
  if (seconds < 3600) return QStringLiteral("%1 min %2 s").arg(seconds / 60).arg(seconds % 60);
  return QStringLiteral("%1 h %2 min").arg(seconds / 3600).arg(seconds % 3600 / 60);
}

}  // namespace

ProgressLine::Mode ProgressLine::ModeFor(bool asked) {
  if (terminal::ErrorIsTerminal()) return Mode::InPlace;
  return asked ? Mode::Lines : Mode::Off;
}

ProgressLine::ProgressLine(Console& console, Mode mode, std::function<qint64()> clock)
    : console_(console), mode_(mode), clock_(std::move(clock)) {
  if (!clock_) {
    timer_.start();
    clock_ = [this] { return timer_.elapsed(); };
  }
}

QString ProgressLine::Text(qint64 done, qint64 total, qint64 elapsedMs) {
  QString text = QStringLiteral("%1 of %2 rows").arg(done).arg(total);
  if (elapsedMs <= 0 || done <= 0) return text;
  const qint64 perSecond = done * 1000 / elapsedMs;
  text += QStringLiteral(", %1 rows/s").arg(perSecond);
  if (done < total) {
    const qint64 left = (total - done) * elapsedMs / done;
    text += QStringLiteral(", %1 left").arg(Duration((left + 999) / 1000));
  }
  return text;
}

void ProgressLine::Reading(qint64 rowsRead) {
  Draw(QStringLiteral("%1 rows read").arg(rowsRead), false);
}

// The rate counts from the first row written, not from the reading before it.
void ProgressLine::Update(qint64 done, qint64 total) {
  if (!writing_) {
    writing_ = true;
    start_ = clock_();
  }
  Draw(Text(done, total, clock_() - start_), done == 0 || done >= total);
}

// The ends show at once; what lies between them at most as often as the mode allows.
void ProgressLine::Draw(const QString& text, bool atOnce) {
  if (mode_ == Mode::Off) return;
  const qint64 now = clock_();
  const qint64 every = mode_ == Mode::InPlace ? kInPlaceEveryMs : kLineEveryMs;
  if (!atOnce && lastDrawn_ >= 0 && now - lastDrawn_ < every) return;
  lastDrawn_ = now;
  if (mode_ == Mode::Lines) {
    console_.Raw(text + QLatin1Char('\n'));
    return;
  }
  // Blanks cover what is left of a longer line before.
  const QString padding(std::max<qsizetype>(0, lastLength_ - text.size()), QLatin1Char(' '));
  console_.Raw(QLatin1Char('\r') + text + padding);
  lastLength_ = text.size();
}

void ProgressLine::Finish() {
  if (mode_ == Mode::InPlace && lastDrawn_ >= 0) console_.Raw(QStringLiteral("\n"));
  lastDrawn_ = -1;
  lastLength_ = 0;
  writing_ = false;
}

}  // namespace cli
