#pragma once

// What the commands that work on a database share: the number of the database as their first
// argument, the login options, and opening a login's database.

#include <memory>
#include <optional>

#include "cli/command_parser.h"
#include "connections/connection_profile.h"
#include "platform/odbc/adodb.h"

namespace cli {

// Parses a command whose first argument is the number of a database, with the login options.
// The empty optional when it is to run; otherwise its exit code.
std::optional<int> ParseDatabaseCommand(CommandParser& parser, const QStringList& arguments,
                                        Console& console);
// The database number of a command that ParseDatabaseCommand accepted.
int DatabaseArgument(const CommandParser& parser);

// Opens the database of login `number`. When it cannot be opened, one line on standard error
// says what was tried, why it failed and the driver's own text, and the connection is null.
std::unique_ptr<adodb::Connection> Connect(const ConnectionProfile& login, int number,
                                           Console& console,
                                           std::optional<int> mode = std::nullopt);

// When login `number` names no database, says on standard error which one the server gave it:
// "Tables of master, the login's default database (Database #1 names none).", `what` being
// "Tables of".
void SayDefaultDatabase(const ConnectionProfile& login, int number, adodb::Connection& connection,
                        const QString& what, Console& console);

}  // namespace cli
