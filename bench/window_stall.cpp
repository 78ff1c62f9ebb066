#include "window_stall.h"

#include <algorithm>

namespace bench {

WindowStallWatch::WindowStallWatch() {
  clock_.start();
  timer_.setTimerType(Qt::PreciseTimer);
  QObject::connect(&timer_, &QTimer::timeout, [this] {
    const qint64 now = clock_.nsecsElapsed();
    longestGap_ = std::max(longestGap_, now - lastTurn_);
    lastTurn_ = now;
  });
  timer_.start(kIntervalMilliseconds);
}

double WindowStallWatch::LongestStall() const {
  const qint64 sinceLast = clock_.nsecsElapsed() - lastTurn_;
  const qint64 gap = std::max(longestGap_, sinceLast);
  return std::max<qint64>(0, gap - kIntervalMilliseconds * 1000000LL) / 1e9;
}

}  // namespace bench
