#include "platform/desktop/terminal.h"

#include <cstdio>
#include <string>

#include "platform/desktop/console_side.h"

namespace terminal {
namespace {

// In UTF-8, as everything the program writes (a console window reads it so, console_side.h).
void ShowPrompt(const QString& prompt) {
  std::fputs(prompt.toUtf8().constData(), stderr);
  std::fflush(stderr);
}

std::optional<QString> ReadLine() {
  if (std::optional<QString> typed; console_side::ReadConsoleLine(typed)) return typed;
  std::string line;
  for (int c = std::getchar(); c != '\n'; c = std::getchar()) {
    if (c == EOF) return line.empty() ? std::nullopt : std::optional(QString::fromStdString(line));
    line.push_back(static_cast<char>(c));
  }
  return QString::fromStdString(line);
}

class ProcessTerminal : public Backend {
 public:
  bool InputIsTerminal() override { return console_side::InputIsTerminal(); }
  bool ErrorIsTerminal() override { return console_side::ErrorIsTerminal(); }

  std::optional<QString> Ask(const QString& prompt, bool secret) override {
    if (!InputIsTerminal()) return std::nullopt;
    if (!secret) {
      ShowPrompt(prompt);
      return ReadLine();
    }
    std::optional<QString> answer;
    {
      // Echo goes off before the prompt shows, so nothing typed at it is ever echoed.
      const console_side::EchoOff quiet;
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
