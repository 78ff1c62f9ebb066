#pragma once

// The terminal the command line runs on, if any: whether a person can be asked, and asking.
// Tests replace it, so no test waits for a person.

#include <QString>
#include <optional>

#include "platform/desktop/console_side.h"

namespace terminal {

class Backend {
 public:
  virtual ~Backend() = default;
  // True when standard input is a terminal, so a question can be answered.
  virtual bool InputIsTerminal() = 0;
  // True when standard error is a terminal, so a line can be redrawn in place.
  virtual bool ErrorIsTerminal() = 0;
  // Writes the prompt to standard error and reads one line from standard input, without echo
  // when `secret`; the empty optional at the end of the input or without a terminal.
  virtual std::optional<QString> Ask(const QString& prompt, bool secret) = 0;
};

bool InputIsTerminal();
bool ErrorIsTerminal();
std::optional<QString> Ask(const QString& prompt, bool secret = false);

// While it lives, a console window shows every character the program writes, on every stream;
// output to a file or a pipe stays as it is (UTF-8). The command line's whole run is inside one.
using Utf8Console = console_side::Utf8Console;

// Replaces the backend; nullptr restores the one on the process's own standard streams.
void SetBackend(Backend* backend);

}  // namespace terminal
