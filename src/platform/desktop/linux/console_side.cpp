// The terminal of a Unix system: echo turned off with termios, and given back when a signal
// ends the program at the prompt; its text is UTF-8 both ways.

#include "platform/desktop/console_side.h"

#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <iterator>

namespace console_side {
namespace {

// The signals that end the program at a prompt (Ctrl-C, Ctrl-\, a closed terminal, kill).
constexpr int kEndingSignals[] = {SIGINT, SIGQUIT, SIGHUP, SIGTERM};

// The terminal's settings from before the prompt, for a signal that ends the program while echo
// is off.
termios savedSettings{};

// Gives the terminal its settings back, ends the line the prompt was on, and lets the signal
// end the program as it would have.
void RestoreAndEnd(int signal) {
  tcsetattr(STDIN_FILENO, TCSAFLUSH, &savedSettings);
  [[maybe_unused]] const ssize_t written = write(STDERR_FILENO, "\n", 1);
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

}  // namespace

bool InputIsTerminal() {
  return isatty(STDIN_FILENO) == 1;
}

bool ErrorIsTerminal() {
  return isatty(STDERR_FILENO) == 1;
}

// A terminal hands on what is typed as UTF-8, which the caller reads as bytes.
bool ReadConsoleLine(std::optional<QString>&) {
  return false;
}

// A terminal reads UTF-8 already: nothing is relayed.
struct Utf8Console::Relay {};
Utf8Console::Utf8Console() = default;
Utf8Console::~Utf8Console() = default;

struct EchoOff::Saved {
  termios settings{};
  struct sigaction previous[std::size(kEndingSignals)]{};
};

EchoOff::EchoOff() {
  auto saved = std::make_unique<Saved>();
  if (tcgetattr(STDIN_FILENO, &saved->settings) != 0) return;
  savedSettings = saved->settings;
  struct sigaction restore {};
  restore.sa_handler = RestoreAndEnd;
  sigemptyset(&restore.sa_mask);
  for (std::size_t i = 0; i < std::size(kEndingSignals); ++i) {
    sigaction(kEndingSignals[i], &restore, &saved->previous[i]);
  }
  termios quiet = saved->settings;
  quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
  tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
  saved_ = std::move(saved);
}

EchoOff::~EchoOff() {
  if (!saved_) return;
  tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved_->settings);
  for (std::size_t i = 0; i < std::size(kEndingSignals); ++i) {
    sigaction(kEndingSignals[i], &saved_->previous[i], nullptr);
  }
}

}  // namespace console_side
