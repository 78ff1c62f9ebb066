#pragma once

// The command line: `ombrelia COMMAND ...` runs one job without a window and without a display.

#include <QStringList>

#include "cli/console.h"

namespace cli {

// True when the program was started with arguments: it then runs the command line, not the
// wizard.
bool IsCommandLine(int argc);

// The program's main for the command line: a core application object, no widget.
int Main(int argc, char** argv);

// Runs the command line; the arguments as the process got them, the program first.
int Run(const QStringList& arguments, Console& console);

}  // namespace cli
