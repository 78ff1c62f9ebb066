#pragma once

// The two logins of a command: the stored ones, each field replaced by its option where one is
// given. A password never comes from an argument: it is taken from OMBRELIA_PASSWORD1 (or 2),
// else the stored one when the server, the port, the local flag and the user are the stored ones,
// else asked for without echo on a terminal. Nothing is ever written to the settings.

#include <optional>

#include "cli/command_parser.h"
#include "connections/connection_profile.h"

namespace cli {

// Adds --server1, --port1, --user1, --database1, --local1, --encrypt1, --ca-file1 and the same
// for login 2 (of the logins `numbers`), and the help's note on where their passwords come from.
void AddLoginOptions(CommandParser& parser, const QList<int>& numbers = {1, 2});
QString PasswordNote(const QList<int>& numbers);

// "server1", "port1", ... "local2": the login options, each of which takes a value.
QStringList LoginOptionNames();

// The text of the first login option with a wrong value; the empty optional when all are right.
std::optional<QString> LoginOptionError(const CommandParser& parser);

// Login `number` (1 or 2) as the command uses it, its password resolved and the command's
// --login-timeout and --query-timeout (where it has them) on it, into `login`; checked
// before anything connects. The empty optional when it can be tried; otherwise the exit code of
// wrong usage, the message written: no server, a port that is no number, no user, a CA file for
// a login that does not verify or one that cannot be read, or no password and no terminal to
// ask on.
std::optional<int> ResolveLogin(const CommandParser& parser, int number, Console& console,
                                ConnectionProfile& login);

}  // namespace cli
