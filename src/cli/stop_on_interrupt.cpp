#include "cli/stop_on_interrupt.h"

#include <csignal>

namespace cli {
namespace {

volatile std::sig_atomic_t interrupted = 0;

// The first Ctrl-C is noted for the event loop; the next one gets the usual handling.
extern "C" void NoteInterrupt(int signal) {
  interrupted = 1;
  std::signal(signal, SIG_DFL);
}

}  // namespace

StopOnInterrupt::StopOnInterrupt(Console& console, std::function<void()> stop)
    : console_(console), stop_(std::move(stop)) {
  interrupted = 0;
  std::signal(SIGINT, NoteInterrupt);
  QObject::connect(&timer_, &QTimer::timeout, [this] { Look(); });
  timer_.start(kLookEveryMilliseconds);
}

StopOnInterrupt::~StopOnInterrupt() {
  std::signal(SIGINT, SIG_DFL);
}

void StopOnInterrupt::Look() {
  if (!interrupted || asked_) return;
  asked_ = true;
  console_.Message(QStringLiteral("Stopping; Ctrl-C again ends the program at once."));
  stop_();
}

}  // namespace cli
