#pragma once

// The text an append shows while it writes: the rows written, the total and, once it can be
// estimated from the pace so far, the time left ("1,234 of 20,000 rows, about 12 s left").

#include <QString>
#include <optional>

namespace append {

class TimeLeft {
 public:
  // The pace is estimated once the writing has gone on this long.
  static constexpr qint64 kEstimateAfterMilliseconds = 1000;

  // `done` of `total` rows at `now` (milliseconds); the first call starts the clock.
  QString Text(qint64 done, qint64 total, qint64 now);

 private:
  std::optional<qint64> startedAt_;
  qint64 doneAtStart_ = 0;
};

// "about 12 s left", "about 3 min left", "about 2 h 5 min left".
QString AboutLeft(qint64 milliseconds);
// 20000 as "20,000".
QString Grouped(qint64 number);

}  // namespace append
