#pragma once

// What the commands that work on a database share: the number of the database as their first
// argument, the login options, and opening a login's database.

#include <memory>
#include <optional>

#include "cli/command_parser.h"
#include "connections/connection_profile.h"
#include "platform/adodb.h"

namespace cli {

// Parses a command whose first argument is the number of a database, with the login options.
// The empty optional when it is to run; otherwise its exit code.
std::optional<int> ParseDatabaseCommand(CommandParser& parser, const QStringList& arguments,
                                        Console& console);
// The database number of a command that ParseDatabaseCommand accepted.
int DatabaseArgument(const CommandParser& parser);

// "Database #1 does not appear to be valid.", as "Next >" says it.
QString NotValid(int number);

// Opens the login's database. When it cannot be opened, the message and the driver's own text
// go to standard error and the connection is null.
std::unique_ptr<adodb::Connection> Connect(const ConnectionProfile& login, Console& console,
                                           const QString& failureMessage,
                                           std::optional<int> mode = std::nullopt);

}  // namespace cli
