#pragma once

// The commands that change a database: join and append.

#include <QStringList>

#include "cli/console.h"

namespace cli {

// Each takes its arguments with the command's name first and gives its exit code.
int JoinCommand(const QStringList& arguments, Console& console);
int AppendCommand(const QStringList& arguments, Console& console);

}  // namespace cli
