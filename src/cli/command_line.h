#pragma once

// The command line: `ombrelia COMMAND ...` runs one job without a window and without a display.

#include <QStringList>

#include "cli/console.h"

namespace cli {

// True when the program was started with arguments: it then runs the command line, not the
// wizard.
bool IsCommandLine(int argc);

// Whether the wizard has a display to show its window on (always, but on Linux without DISPLAY
// and WAYLAND_DISPLAY).
bool HasDisplay();
// The program's main when it was started without a command and without a display: a short
// message and the usage on standard error, and the exit code of wrong usage.
int MainWithoutDisplay(int argc, char** argv);

// The program's main for the command line: a core application object, no widget.
int Main(int argc, char** argv);

// Runs the command line; the arguments as the process got them, the program first.
int Run(const QStringList& arguments, Console& console);

}  // namespace cli
