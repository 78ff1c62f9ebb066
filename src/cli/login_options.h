#pragma once

// The two logins of a command: the stored ones, each field replaced by its option where one is
// given. A password never comes from an argument: it is taken from OMBRELIA_PASSWORD1 (or 2),
// else the stored one when the server and the user are the stored ones, else asked for without
// echo on a terminal, else empty. Nothing is ever written to the settings.

#include <optional>

#include "cli/command_parser.h"
#include "connections/connection_profile.h"

namespace cli {

// Adds --server1, --port1, --user1, --database1, --local1 and the same for login 2.
void AddLoginOptions(CommandParser& parser);

// The text of the first login option with a wrong value; the empty optional when all are right.
std::optional<QString> LoginOptionError(const CommandParser& parser);

// Login `number` (1 or 2) as the command uses it, its password resolved.
ConnectionProfile Login(const CommandParser& parser, int number);

}  // namespace cli
