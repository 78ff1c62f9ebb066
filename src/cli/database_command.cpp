#include "cli/database_command.h"

#include "catalogue/catalogue.h"
#include "cli/login_failure.h"
#include "cli/login_options.h"
#include "connections/encryption.h"

namespace cli {

std::optional<int> ParseDatabaseCommand(CommandParser& parser, const QStringList& arguments,
                                        Console& console) {
  if (std::optional<int> exit = parser.Parse(arguments, console)) return exit;
  if (std::optional<QString> error = LoginOptionError(parser)) {
    return parser.UsageError(console, *error);
  }
  const QString database = parser.Positional().constFirst();
  if (!DatabaseNumber(database)) {
    return parser.UsageError(console,
                             QStringLiteral("The database is 1 or 2, not '%1'.").arg(database));
  }
  return std::nullopt;
}

int DatabaseArgument(const CommandParser& parser) {
  return DatabaseNumber(parser.Positional().constFirst()).value_or(1);
}

std::unique_ptr<adodb::Connection> Connect(const ConnectionProfile& login, int number,
                                           Console& console, std::optional<int> mode) {
  try {
    std::unique_ptr<adodb::Connection> connection = adodb::CreateConnection();
    if (mode) connection->SetMode(*mode);
    OpenLogin(*connection, login);
    return connection;
  } catch (const platform::Error& error) {
    console.Failure(LoginFailureWhat(login, number, error), error.Description());
    return nullptr;
  }
}

void SayDefaultDatabase(const ConnectionProfile& login, int number, adodb::Connection& connection,
                        const QString& what, Console& console) {
  if (!login.Database.trimmed().isEmpty()) return;
  const QString database = MSSQL::CurrentDatabase(connection);
  console.Message(QStringLiteral("%1 %2, the login's default database (Database #%3 names "
                                 "none).")
                      .arg(what, database.isEmpty() ? QStringLiteral("the database") : database)
                      .arg(number));
}

}  // namespace cli
