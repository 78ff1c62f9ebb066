#include "platform/terminal.h"

#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <string>

namespace terminal {
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

// Echo is off for as long as the object lives, and back on on every way out: when reading
// fails, and when a signal ends the program at the prompt.
class EchoOff {
 public:
  EchoOff() : active_(tcgetattr(STDIN_FILENO, &saved_) == 0) {
    if (!active_) return;
    savedSettings = saved_;
    struct sigaction restore {};
    restore.sa_handler = RestoreAndEnd;
    sigemptyset(&restore.sa_mask);
    for (std::size_t i = 0; i < std::size(kEndingSignals); ++i) {
      sigaction(kEndingSignals[i], &restore, &previous_[i]);
    }
    termios quiet = saved_;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
  }
  ~EchoOff() {
    if (!active_) return;
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved_);
    for (std::size_t i = 0; i < std::size(kEndingSignals); ++i) {
      sigaction(kEndingSignals[i], &previous_[i], nullptr);
    }
  }
  EchoOff(const EchoOff&) = delete;
  EchoOff& operator=(const EchoOff&) = delete;

 private:
  termios saved_{};
  struct sigaction previous_[std::size(kEndingSignals)]{};
  bool active_;
};

void ShowPrompt(const QString& prompt) {
  std::fputs(prompt.toLocal8Bit().constData(), stderr);
  std::fflush(stderr);
}

std::optional<QString> ReadLine() {
  std::string line;
  for (int c = std::getchar(); c != '\n'; c = std::getchar()) {
    if (c == EOF) return line.empty() ? std::nullopt : std::optional(QString::fromStdString(line));
    line.push_back(static_cast<char>(c));
  }
  return QString::fromStdString(line);
}

class ProcessTerminal : public Backend {
 public:
  bool InputIsTerminal() override { return isatty(STDIN_FILENO) == 1; }
  bool ErrorIsTerminal() override { return isatty(STDERR_FILENO) == 1; }

  std::optional<QString> Ask(const QString& prompt, bool secret) override {
    if (!InputIsTerminal()) return std::nullopt;
    if (!secret) {
      ShowPrompt(prompt);
      return ReadLine();
    }
    std::optional<QString> answer;
    {
      // Echo goes off before the prompt shows, so nothing typed at it is ever echoed.
      const EchoOff quiet;
      ShowPrompt(prompt);
      answer = ReadLine();
    }
    // The Enter the person typed was not echoed.
    std::fputc('\n', stderr);
    return answer;
  }
};

Backend*& Current() {
  static Backend* current = nullptr;
  return current;
}

Backend& Active() {
  static ProcessTerminal process;
  return Current() ? *Current() : process;
}

}  // namespace

bool InputIsTerminal() {
  return Active().InputIsTerminal();
}

bool ErrorIsTerminal() {
  return Active().ErrorIsTerminal();
}

std::optional<QString> Ask(const QString& prompt, bool secret) {
  return Active().Ask(prompt, secret);
}

void SetBackend(Backend* backend) {
  Current() = backend;
}

}  // namespace terminal
