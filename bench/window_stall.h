#pragma once

// The longest time the window's thread went without turning its event loop, measured by a
// timer that asks for a turn every kIntervalMilliseconds: a gap between two of its turns, less
// the interval, is time the window could not repaint or take a click.

#include <QElapsedTimer>
#include <QTimer>

namespace bench {

class WindowStallWatch {
 public:
  static constexpr int kIntervalMilliseconds = 2;

  WindowStallWatch();
  // Seconds of the longest stall since the watch was made.
  double LongestStall() const;

 private:
  QTimer timer_;
  QElapsedTimer clock_;
  qint64 lastTurn_ = 0;
  qint64 longestGap_ = 0;
};

}  // namespace bench
