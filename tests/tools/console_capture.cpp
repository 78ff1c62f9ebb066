// Runs a command in a console window of its own and prints what that window shows, in UTF-8:
// the characters a user reads on the screen, which a pipe or a file would not tell (a program
// writes to a console in the console's code page, to a pipe as it likes).
//   console_capture.exe COMMAND [ARGUMENT...]
// The command runs with the console as its standard input, output and error; when it has ended,
// every line of the console's screen buffer up to the cursor is printed, its trailing blanks cut.
// The exit status is the command's; 125 when the console or the command could not be had.
//
// Under Wine 8 a program started from a Unix shell shares no console window with it, and one
// whose output goes to a pipe has none at all: AllocConsole gives this one a console of its own
// (Wine's conhost, drawn on the X display), whose screen buffer holds what the command wrote as
// Windows would show it, read back with ReadConsoleOutputCharacterW.

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::wstring Quoted(const std::wstring& argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) return argument;
  std::wstring quoted = L"\"";
  for (const wchar_t c : argument) {
    if (c == L'"') quoted += L'\\';
    quoted += c;
  }
  return quoted + L'"';
}

HANDLE OpenConsole(const wchar_t* name) {
  SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  return CreateFileW(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                     &inherited, OPEN_EXISTING, 0, nullptr);
}

// The command's exit status, or -1 when it could not be started or did not end in a minute.
long Run(std::wstring command, HANDLE input, HANDLE output) {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input;
  startup.hStdOutput = output;
  startup.hStdError = output;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return -1;
  }
  DWORD status = static_cast<DWORD>(-1);
  if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0) {
    GetExitCodeProcess(process.hProcess, &status);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<long>(status);
}

// The screen buffer's lines up to the cursor's, in UTF-8, each ended by a line feed.
std::string Screen(HANDLE output) {
  CONSOLE_SCREEN_BUFFER_INFO info{};
  if (!GetConsoleScreenBufferInfo(output, &info)) return {};
  std::wstring line(static_cast<size_t>(info.dwSize.X), L' ');
  std::string screen;
  for (SHORT y = 0; y <= info.dwCursorPosition.Y; ++y) {
    DWORD read = 0;
    ReadConsoleOutputCharacterW(output, line.data(), info.dwSize.X, COORD{0, y}, &read);
    std::wstring text = line.substr(0, read);
    text.erase(text.find_last_not_of(L' ') + 1);
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), size,
                        nullptr, nullptr);
    screen += utf8 + '\n';
  }
  return screen;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fputs("usage: console_capture COMMAND [ARGUMENT...]\n", stderr);
    return 125;
  }
  std::wstring command;
  for (int i = 1; i < argc; ++i) command += (i > 1 ? L" " : L"") + Quoted(argv[i]);
  const HANDLE report = GetStdHandle(STD_OUTPUT_HANDLE);
  FreeConsole();
  if (!AllocConsole()) {
    std::fputs("console_capture: no console could be made\n", stderr);
    return 125;
  }
  const HANDLE input = OpenConsole(L"CONIN$");
  const HANDLE output = OpenConsole(L"CONOUT$");
  const long status = Run(command, input, output);
  const std::string screen = Screen(output);
  DWORD written = 0;
  WriteFile(report, screen.data(), static_cast<DWORD>(screen.size()), &written, nullptr);
  if (status < 0) {
    std::fputs("console_capture: the command could not be run to its end\n", stderr);
    return 125;
  }
  return static_cast<int>(status);
}
