#pragma once

// Ctrl-C during a job asks the job to stop the way the page's Stop button does, so that it ends
// cleanly (the join drops its staging copies, the append stops after the row being written); a
// second Ctrl-C ends the program at once. While the job waits for the database, the event loop
// turns and looks for the interrupt a few times a second.

#include <QTimer>
#include <functional>

#include "cli/console.h"

namespace cli {

class StopOnInterrupt {
 public:
  static constexpr int kLookEveryMilliseconds = 100;

  StopOnInterrupt(Console& console, std::function<void()> stop);
  ~StopOnInterrupt();  // the usual handling of Ctrl-C again
  StopOnInterrupt(const StopOnInterrupt&) = delete;
  StopOnInterrupt& operator=(const StopOnInterrupt&) = delete;

  // Asks the job to stop once an interrupt has come; the timer calls it.
  void Look();
  // Whether Ctrl-C asked the job to stop.
  bool Interrupted() const { return asked_; }

 private:
  Console& console_;
  std::function<void()> stop_;
  QTimer timer_;
  bool asked_ = false;
};

}  // namespace cli
