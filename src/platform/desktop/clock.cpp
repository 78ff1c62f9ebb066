#include "platform/desktop/clock.h"

#include <QElapsedTimer>

namespace platform {
namespace {

qint64 MonotonicMilliseconds() {
  static const QElapsedTimer started = [] {
    QElapsedTimer timer;
    timer.start();
    return timer;
  }();
  return started.elapsed();
}

std::function<qint64()>& Clock() {
  static std::function<qint64()> clock = MonotonicMilliseconds;
  return clock;
}

}  // namespace

qint64 NowMilliseconds() {
  return Clock()();
}

void SetClockForTesting(std::function<qint64()> clock) {
  Clock() = clock ? std::move(clock) : MonotonicMilliseconds;
}

}  // namespace platform
