// The terminal of Windows: the console's own echo turned off while a secret is typed, and given
// back when Ctrl-C or a closed console ends the program at the prompt. A console window reads
// the bytes written to it, and hands on the bytes typed, in code pages of its own (the OEM one,
// 437 or 850, by default), and the C library may write a console's bytes one by one: the
// program's UTF-8 would show garbled there. So the text goes to a console, and comes from it, as
// the characters themselves (WriteConsoleW, ReadConsoleW); output to a file or a pipe stays
// UTF-8 as it is written.

#include "platform/desktop/console_side.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <QStringDecoder>
#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace console_side {
namespace {

HANDLE input = INVALID_HANDLE_VALUE;
DWORD savedMode = 0;

// Set while standard error goes to its console through the relay (so it is a terminal still).
std::atomic<bool> errorRelayed = false;

// Gives the console its echo back; the system's own handling then ends the program.
BOOL WINAPI RestoreAndEnd(DWORD) {
  SetConsoleMode(input, savedMode);
  return FALSE;
}

bool IsConsole(HANDLE handle) {
  DWORD mode = 0;
  return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode);
}

bool IsConsole(int descriptor) {
  return IsConsole(reinterpret_cast<HANDLE>(_get_osfhandle(descriptor)));
}

// Ctrl-Z at the start of a line ends a console's input, as it ends a file's.
constexpr wchar_t kEndOfInput = 0x1A;

constexpr unsigned kPipeBytes = 1 << 16;

void WriteToConsole(HANDLE console, const QString& text) {
  const auto* left = reinterpret_cast<const wchar_t*>(text.utf16());
  auto count = static_cast<DWORD>(text.size());
  while (count > 0) {
    DWORD written = 0;
    if (!WriteConsoleW(console, left, count, &written, nullptr) || written == 0) return;
    left += written;
    count -= written;
  }
}

// Reads the pipe until every writer has let go of it; a character cut between two reads is
// kept by the decoder until its rest comes.
void Pass(int pipe, HANDLE console) {
  QStringDecoder utf8(QStringDecoder::Utf8);
  char bytes[4096];
  for (int read = 0; (read = _read(pipe, bytes, sizeof bytes)) > 0;) {
    WriteToConsole(console, utf8.decode(QByteArrayView(bytes, read)));
  }
  _close(pipe);
}

}  // namespace

// The pipe standard output and error write into while they are the console, and the thread that
// writes its text there. `before` holds each stream's descriptor with a copy of what it was.
struct Utf8Console::Relay {
  std::vector<std::pair<int, int>> before;
  std::thread passer;
};

bool InputIsTerminal() {
  return _isatty(_fileno(stdin)) != 0;
}

bool ErrorIsTerminal() {
  return errorRelayed || _isatty(_fileno(stderr)) != 0;
}

bool ReadConsoleLine(std::optional<QString>& line) {
  const HANDLE console = GetStdHandle(STD_INPUT_HANDLE);
  if (!IsConsole(console)) return false;
  std::wstring typed;
  wchar_t c = 0;
  DWORD read = 0;
  while (ReadConsoleW(console, &c, 1, &read, nullptr) && read == 1 && c != L'\n') {
    if (c == kEndOfInput && typed.empty()) break;
    if (c != L'\r') typed.push_back(c);
  }
  const bool ended = read != 1 || c != L'\n';
  line = ended && typed.empty() ? std::nullopt : std::optional(QString::fromStdWString(typed));
  return true;
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

// Both streams share one pipe, so their lines reach the console in the order written.
Utf8Console::Utf8Console() {
  std::vector<int> consoles;
  for (const int stream : {_fileno(stdout), _fileno(stderr)}) {
    if (IsConsole(stream)) consoles.push_back(stream);
  }
  int pipe[2] = {-1, -1};
  if (consoles.empty() || _pipe(pipe, kPipeBytes, _O_BINARY | _O_NOINHERIT) != 0) return;
  std::fflush(stdout);
  std::fflush(stderr);
  relay_ = std::make_unique<Relay>();
  for (const int stream : consoles) {
    relay_->before.emplace_back(stream, _dup(stream));
    _dup2(pipe[1], stream);
  }
  _close(pipe[1]);
  const auto console = reinterpret_cast<HANDLE>(_get_osfhandle(relay_->before.front().second));
  relay_->passer = std::thread(Pass, pipe[0], console);
  errorRelayed = consoles.back() == _fileno(stderr);
}

// The streams get their console back, which lets go of the pipe; its last text is written
// before the copies of the console's descriptors close.
Utf8Console::~Utf8Console() {
  if (!relay_) return;
  std::fflush(stdout);
  std::fflush(stderr);
  for (const auto& [stream, before] : relay_->before) _dup2(before, stream);
  relay_->passer.join();
  for (const auto& [stream, before] : relay_->before) _close(before);
  errorRelayed = false;
}

}  // namespace console_side
