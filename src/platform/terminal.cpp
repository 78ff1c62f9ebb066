#include "platform/terminal.h"

#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace terminal {
namespace {

// Echo is off for as long as the object lives, and back on even when reading fails.
class EchoOff {
 public:
  EchoOff() : active_(tcgetattr(STDIN_FILENO, &saved_) == 0) {
    if (!active_) return;
    termios quiet = saved_;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
  }
  ~EchoOff() {
    if (active_) tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved_);
  }
  EchoOff(const EchoOff&) = delete;
  EchoOff& operator=(const EchoOff&) = delete;

 private:
  termios saved_{};
  bool active_;
};

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
    std::fputs(prompt.toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
    if (!secret) return ReadLine();
    std::optional<QString> answer;
    {
      const EchoOff quiet;
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
