#pragma once

// The monotonic clock of the program, in milliseconds; tests put a clock of their own in its
// place.

#include <QtGlobal>
#include <functional>

namespace platform {

qint64 NowMilliseconds();
// An empty clock restores the monotonic one.
void SetClockForTesting(std::function<qint64()> clock);

}  // namespace platform
