#include "controls/progress_bar.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "platform/desktop/clock.h"
#include "platform/desktop/vector_state.h"

namespace {

// A frame of a screen that shows 60 pictures a second.
constexpr qint64 kFrameMilliseconds = 16;

}  // namespace

ProgressBar::ProgressBar(QWidget* parent) : QProgressBar(parent) {
  setRange(0, 100);
  setValue(0);
  setTextVisible(true);
  setAlignment(Qt::AlignCenter);
  SetText(QStringLiteral("Progress Bar"));
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void ProgressBar::SetClockForTesting(std::function<qint64()> clock) {
  platform::SetClockForTesting(std::move(clock));
}

void ProgressBar::SetValue(double value) {
  wanted_ = static_cast<int>(std::lround(value));
  ShowWanted();
}

void ProgressBar::ShowWanted() {
  if (wanted_ == value()) return;
  const bool atAnEnd = wanted_ <= minimum() || wanted_ >= maximum();
  const qint64 now = platform::NowMilliseconds();
  if (!atAnEnd && lastShown_ && now - *lastShown_ < kFrameMilliseconds) return;
  setValue(wanted_);  // paints at once
  platform::ClearUpperVectorState();
  lastShown_ = now;
}

void ProgressBar::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect inside = rect().adjusted(1, 1, -1, -1);
  const QRect done = DonePart(inside);
  painter.setPen(palette().dark().color());
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
  painter.fillRect(inside, palette().base());
  painter.fillRect(done, palette().highlight());
  if (!isTextVisible()) return;
  const QStaticText& caption = Caption();
  const QSizeF size = caption.size();
  const QPointF at(inside.x() + (inside.width() - size.width()) / 2,
                   inside.y() + (inside.height() - size.height()) / 2);
  // The text is in the highlighted text colour where it lies over the done part.
  painter.setPen(palette().text().color());
  painter.setClipRect(inside.adjusted(done.width(), 0, 0, 0));
  painter.drawStaticText(at, caption);
  painter.setPen(palette().highlightedText().color());
  painter.setClipRect(done);
  painter.drawStaticText(at, caption);
}

QRect ProgressBar::DonePart(const QRect& inside) const {
  const qint64 span = qint64(maximum()) - minimum();
  const qint64 done = span > 0 ? (qint64(value()) - minimum()) * inside.width() / span : 0;
  return {inside.topLeft(),
          QSize(static_cast<int>(std::clamp<qint64>(done, 0, inside.width())), inside.height())};
}

// The text is laid out once for each text and font it is shown in.
const QStaticText& ProgressBar::Caption() {
  const QString shown = text();
  if (caption_.text() != shown || captionFont_ != font()) {
    caption_.setText(shown);
    captionFont_ = font();
    caption_.prepare(QTransform(), captionFont_);
  }
  return caption_;
}
