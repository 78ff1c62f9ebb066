// The terminal of Windows: the console's own echo turned off while a secret is typed, and given
// back when Ctrl-C or a closed console ends the program at the prompt.

#include "platform/desktop/console_side.h"

#include <io.h>
#include <windows.h>

#include <cstdio>

namespace console_side {
namespace {

HANDLE input = INVALID_HANDLE_VALUE;
DWORD savedMode = 0;

// Gives the console its echo back; the system's own handling then ends the program.
BOOL WINAPI RestoreAndEnd(DWORD) {
  SetConsoleMode(input, savedMode);
  return FALSE;
}

}  // namespace

bool InputIsTerminal() {
  return _isatty(_fileno(stdin)) != 0;
}

bool ErrorIsTerminal() {
  return _isatty(_fileno(stderr)) != 0;
}

struct EchoOff::Saved {
  DWORD mode = 0;
};

EchoOff::EchoOff() {
  input = GetStdHandle(STD_INPUT_HANDLE);
  auto saved = std::make_unique<Saved>();
  if (input == INVALID_HANDLE_VALUE || !GetConsoleMode(input, &saved->mode)) return;
  savedMode = saved->mode;
  SetConsoleCtrlHandler(RestoreAndEnd, TRUE);
  SetConsoleMode(input, saved->mode & ~static_cast<DWORD>(ENABLE_ECHO_INPUT));
  saved_ = std::move(saved);
}

EchoOff::~EchoOff() {
  if (!saved_) return;
  SetConsoleMode(input, saved_->mode);
  SetConsoleCtrlHandler(RestoreAndEnd, FALSE);
}

}  // namespace console_side
