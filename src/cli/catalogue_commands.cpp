#include "cli/catalogue_commands.h"

#include "catalogue/catalogue.h"
#include "cli/database_command.h"
#include "cli/login_options.h"
#include "cli/table_argument.h"
#include "cli/table_check.h"

namespace cli {
namespace {

const QString kDatabaseArgument = QStringLiteral("1|2");
const QString kDatabaseHelp = QStringLiteral("Database #1 or Database #2.");

void AddDatabaseArguments(CommandParser& parser) {
  parser.AddPositional(kDatabaseArgument, kDatabaseHelp);
  AddLoginOptions(parser);
}

// A listing the server refused: its own text, and the exit code of a refusal.
int Refused(Console& console, const platform::Error& error) {
  console.Failure(QStringLiteral("cannot list the tables"), error.Description());
  return kRefused;
}

void WriteLines(Console& console, const QStringList& lines) {
  for (const QString& line : lines) console.Result(line);
}

}  // namespace

int TestCommand(const QStringList& arguments, Console& console) {
  CommandParser parser(
      QStringLiteral("test"),
      QStringLiteral("Opens the database of a stored login, as Test Connection does."),
      kDatabaseArgument);
  AddDatabaseArguments(parser);
  if (std::optional<int> exit = ParseDatabaseCommand(parser, arguments, console)) return *exit;
  const int number = DatabaseArgument(parser);
  ConnectionProfile login;
  if (std::optional<int> exit = ResolveLogin(parser, number, console, login)) return *exit;
  if (!Connect(login, number, console)) return kNotConnected;
  console.Message(QStringLiteral("Connection successful."));
  return kDone;
}

int TablesCommand(const QStringList& arguments, Console& console) {
  CommandParser parser(
      QStringLiteral("tables"),
      QStringLiteral("Lists the user tables of a database, one a line, as the pages show them: "
                     "views, system\ntables and tables whose names hold \"sys\" in any letter "
                     "case are left out.\nA table outside the login's default schema is listed "
                     "as schema.table."),
      kDatabaseArgument);
  AddDatabaseArguments(parser);
  parser.AddFlag(QStringLiteral("all"),
                 QStringLiteral("Lists the tables whose names hold \"sys\" too."));
  if (std::optional<int> exit = ParseDatabaseCommand(parser, arguments, console)) return *exit;
  const int number = DatabaseArgument(parser);
  ConnectionProfile login;
  if (std::optional<int> exit = ResolveLogin(parser, number, console, login)) return *exit;
  // Opened once first, so that a database that cannot be opened is told from a refused listing.
  const std::unique_ptr<adodb::Connection> connection = Connect(login, number, console);
  if (!connection) return kNotConnected;
  try {
    WriteLines(console, MSSQL::TableNames(login, parser.IsSet(QStringLiteral("all"))));
  } catch (const platform::Error& error) {
    return Refused(console, error);
  }
  SayDefaultDatabase(login, number, *connection, QStringLiteral("Tables of"), console);
  return kDone;
}

int FieldsCommand(const QStringList& arguments, Console& console) {
  CommandParser parser(QStringLiteral("fields"),
                       QStringLiteral("Lists the fields of a table in column order, one a line."),
                       kDatabaseArgument + QStringLiteral(" TABLE"));
  AddDatabaseArguments(parser);
  parser.AddPositional(QStringLiteral("TABLE"),
                       QStringLiteral("The table: as `tables` lists it, schema.table, or "
                                      "[schema].[table]."));
  if (std::optional<int> exit = ParseDatabaseCommand(parser, arguments, console)) return *exit;
  const QString typed = parser.Positional().at(1);
  if (!ParseTableArgument(typed)) return parser.UsageError(console, NotATableName(typed));
  const int number = DatabaseArgument(parser);
  ConnectionProfile login;
  if (std::optional<int> exit = ResolveLogin(parser, number, console, login)) return *exit;
  std::optional<CheckedDatabase> database = OpenForChecks(login, number, console);
  if (!database) return kNotConnected;
  const std::optional<FoundTable> found = FindTable(*database, typed, console);
  if (!found) return kRefused;
  WriteLines(console, found->fields);
  SayDefaultDatabase(login, number, *database->connection,
                     QStringLiteral("Fields of %1 in").arg(found->table.Display()), console);
  return kDone;
}

}  // namespace cli
