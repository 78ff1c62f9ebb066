#include "cli/catalogue_commands.h"

#include "catalogue/catalogue.h"
#include "cli/database_command.h"
#include "cli/login_options.h"

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
  console.Message(error.Description());
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
  if (!Connect(Login(parser, DatabaseArgument(parser)), console,
               QStringLiteral("Could not connect. Please check with your administrator."))) {
    return kNotConnected;
  }
  console.Message(QStringLiteral("Connection successful."));
  return kDone;
}

int TablesCommand(const QStringList& arguments, Console& console) {
  CommandParser parser(
      QStringLiteral("tables"),
      QStringLiteral("Lists the user tables of a database, one a line, as the pages show them."),
      kDatabaseArgument);
  AddDatabaseArguments(parser);
  if (std::optional<int> exit = ParseDatabaseCommand(parser, arguments, console)) return *exit;
  const int number = DatabaseArgument(parser);
  const ConnectionProfile login = Login(parser, number);
  // Opened once first, so that a database that cannot be opened is told from a refused listing.
  if (!Connect(login, console, NotValid(number))) return kNotConnected;
  try {
    WriteLines(console, MSSQL::TableNames(login));
  } catch (const platform::Error& error) {
    return Refused(console, error);
  }
  return kDone;
}

int FieldsCommand(const QStringList& arguments, Console& console) {
  CommandParser parser(QStringLiteral("fields"),
                       QStringLiteral("Lists the fields of a table in column order, one a line."),
                       kDatabaseArgument + QStringLiteral(" TABLE"));
  AddDatabaseArguments(parser);
  parser.AddPositional(QStringLiteral("TABLE"), QStringLiteral("The table, as `tables` lists it."));
  if (std::optional<int> exit = ParseDatabaseCommand(parser, arguments, console)) return *exit;
  const int number = DatabaseArgument(parser);
  // One login, one password prompt: the connection and the table's name use the same.
  const ConnectionProfile login = Login(parser, number);
  const std::unique_ptr<adodb::Connection> connection =
      Connect(login, console, NotValid(number), adodb::adModeReadWrite);
  if (!connection) return kNotConnected;
  try {
    const MSSQL::TableName table = MSSQL::TypedTable(login, parser.Positional().at(1));
    WriteLines(console, MSSQL::FieldNames(*connection, table));
  } catch (const platform::Error& error) {
    return Refused(console, error);
  }
  return kDone;
}

}  // namespace cli
