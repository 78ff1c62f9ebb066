#pragma once

// The commands that look at a database: test, tables and fields.

#include <QStringList>

#include "cli/console.h"

namespace cli {

// Each takes its arguments with the command's name first and gives its exit code.
int TestCommand(const QStringList& arguments, Console& console);
int TablesCommand(const QStringList& arguments, Console& console);
int FieldsCommand(const QStringList& arguments, Console& console);

}  // namespace cli
