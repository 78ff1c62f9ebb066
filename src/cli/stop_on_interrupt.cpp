#include "cli/stop_on_interrupt.h"

#include <csignal>

namespace cli {
namespace {

volatile std::sig_atomic_t interrupted = 0;
// What Ctrl-C did before: the program's own ending (which removes its private files), or the
// system's.
void (*before)(int) = SIG_DFL;

// The first Ctrl-C is noted for the event loop; the next one gets the handling it had before.
extern "C" void NoteInterrupt(int signal) {
  interrupted = 1;
  std::signal(signal, before);
}

}  // namespace

StopOnInterrupt::StopOnInterrupt(Console& console, std::function<void()> stop)
    : console_(console), stop_(std::move(stop)) {
  interrupted = 0;
  before = std::signal(SIGINT, NoteInterrupt);
  if (before == SIG_ERR || before == NoteInterrupt) before = SIG_DFL;
  QObject::connect(&timer_, &QTimer::timeout, [this] { Look(); });
  timer_.start(kLookEveryMilliseconds);
}

StopOnInterrupt::~StopOnInterrupt() {
  std::signal(SIGINT, before);
}

void StopOnInterrupt::Look() {
  if (!interrupted || asked_) return;
  asked_ = true;
  console_.Message(QStringLiteral("Stopping; Ctrl-C again ends the program at once."));
  stop_();
}

}  // namespace cli
