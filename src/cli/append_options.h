#pragma once

// The append command's options: declared for its parser, checked together (a wrong one is one
// usage line), and read into the job they make, with the many tables' run when they name tables
// that way.

#include <QString>
#include <QStringList>
#include <optional>

#include "cli/command_parser.h"
#include "cli/console.h"
#include "cli/engine_jobs.h"
#include "cli/many_tables.h"

namespace cli {

void DeclareAppend(CommandParser& parser);

// --tables, --like and --all: the options that name the tables instead of TABLE1 and TABLE2.
QStringList ManyTablesOptions();

// The answer --by-name or --by-position gives to the question of matching the columns.
std::optional<int> ColumnOrderAnswer(const CommandParser& parser);

// The options as the job they make, and how long a login may take (--login-timeout).
struct AppendSettings {
  AppendJob job;
  std::optional<ManyTablesRun> many;
  int loginTimeout = 0;
};

// The options as the job they make; the usage error written and the empty optional when one is
// wrong.
std::optional<AppendSettings> ReadAppendSettings(const CommandParser& parser, Console& console);

}  // namespace cli
