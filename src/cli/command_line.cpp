#include "cli/command_line.h"

#include <QCoreApplication>
#include <cstdio>
#include <functional>
#include <map>

#include "cli/catalogue_commands.h"
#include "cli/command_parser.h"
#include "cli/job_commands.h"
#include "cli/login_options.h"
#include "connections/password_store.h"
#include "platform/desktop/application.h"
#include "platform/desktop/display.h"

namespace cli {
namespace {

using Command = std::function<int(const QStringList&, Console&)>;

const std::map<QString, Command>& Commands() {
  static const std::map<QString, Command> commands = {
      {QStringLiteral("test"), TestCommand},     {QStringLiteral("tables"), TablesCommand},
      {QStringLiteral("fields"), FieldsCommand}, {QStringLiteral("join"), JoinCommand},
      {QStringLiteral("append"), AppendCommand},
  };
  return commands;
}

const char kDescription[] =
    "Joins or appends SQL Server tables with the logins the wizard stores. Without arguments\n"
    "the wizard starts; with a command the job runs without a window.\n"
    "\n"
    "Commands:\n"
    "  test 1|2                 Test Connection for Database #1 or #2.\n"
    "  tables 1|2 [--all]       The user tables of a database, one a line; names holding\n"
    "                           \"sys\" are left out, as the wizard does, unless --all.\n"
    "  fields 1|2 TABLE         The fields of a table in column order, one a line.\n"
    "  join TABLE1 FIELD1 TABLE2 FIELD2 --into NAME [--overwrite] [--quiet]\n"
    "                           Joins two tables of Database #1 into a new table.\n"
    "  append --to 1|2 TABLE1 TABLE2 [--one-by-one] [--where CONDITION] [--dry-run]\n"
    "         [--truncate] [--max-refused N] [--yes] [--json] [--progress] [--quiet]\n"
    "                           Appends the rows of one table to the other: TABLE1 is in\n"
    "                           Database #1, TABLE2 in Database #2.\n"
    "  append --to 1|2 (--tables A,B,... | --like PATTERN | --all) [--create]\n"
    "         [--stop-on-error] [--truncate] [--dry-run] [--json] [--yes]\n"
    "                           Appends many tables, each into the table of its name in\n"
    "                           the other database, referenced tables first.\n"
    "\n"
    "A table is TABLE, SCHEMA.TABLE or [SCHEMA].[TABLE]. Options may stand before or after\n"
    "the command. 'ombrelia COMMAND --help' tells more about a command.\n"
    "Exit status: 0 done; 1 refused by a check or by the server, or rows refused;\n"
    "2 wrong usage; 3 a database could not be opened; 130 stopped by Ctrl-C.";

QString Version() {
  return QStringLiteral("ombrelia ") + QStringLiteral(OMBRELIA_VERSION);
}

void DeclareProgram(CommandParser& parser) {
  parser.Qt().setOptionsAfterPositionalArgumentsMode(
      QCommandLineParser::ParseAsPositionalArguments);
  parser.Qt().addVersionOption();
  parser.Qt().addPositionalArgument(QStringLiteral("COMMAND"),
                                    QStringLiteral("test, tables, fields, join or append."));
  parser.AddNote(PasswordNote({1, 2}));
}

// Whether `argument` is an option whose value is the next argument.
bool TakesNextValue(const QString& argument) {
  static const QStringList options =
      LoginOptionNames() +
      QStringList{QStringLiteral("into"),         QStringLiteral("to"),
                  QStringLiteral("where"),        QStringLiteral("max-refused"),
                  QStringLiteral("refused"),      QStringLiteral("tables"),
                  QStringLiteral("like"),         QStringLiteral("login-timeout"),
                  QStringLiteral("query-timeout")};
  if (argument.contains(QLatin1Char('='))) return false;
  QString name = argument;
  while (name.startsWith(QLatin1Char('-'))) name.remove(0, 1);
  return options.contains(name);
}

// The arguments with the command right after the program, so that options may stand before
// it: the command is the first word that is neither an option nor an option's value.
QStringList CommandFirst(const QStringList& arguments) {
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    const QString& word = arguments.at(i);
    if (word == QLatin1String("--")) break;
    if (word.startsWith(QLatin1Char('-'))) {
      if (TakesNextValue(word)) ++i;
      continue;
    }
    return QStringList{arguments.first(), word} + arguments.mid(1, i - 1) + arguments.mid(i + 1);
  }
  return arguments;
}

}  // namespace

bool HasDisplay() {
  return display::Available();
}

int MainWithoutDisplay(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  QTextStream err(stderr);
  Console console(err, err);
  console.Message(
      QStringLiteral("ombrelia: no display to show the wizard on (neither DISPLAY nor "
                     "WAYLAND_DISPLAY is set); a command runs without one."));
  CommandParser parser(QString(), QString::fromLatin1(kDescription),
                       QStringLiteral("COMMAND [arguments]"));
  DeclareProgram(parser);
  console.Result(parser.HelpText());
  console.Flush();
  return kWrongUsage;
}

bool IsCommandLine(int argc) {
  return argc > 1;
}

int Main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  app::KeepNumbersLocaleIndependent();
  QCoreApplication::setApplicationName(QStringLiteral("ombrelia"));
  QCoreApplication::setApplicationVersion(QStringLiteral(OMBRELIA_VERSION));
  QTextStream out(stdout);
  QTextStream err(stderr);
  Console console(out, err);
  const int exitCode = Run(QCoreApplication::arguments(), console);
  console.Flush();
  return exitCode;
}

int Run(const QStringList& arguments, Console& console) {
  CommandParser parser(QString(), QString::fromLatin1(kDescription),
                       QStringLiteral("COMMAND [arguments]"));
  DeclareProgram(parser);
  if (!parser.Qt().parse(CommandFirst(arguments))) {
    return parser.UsageError(console, parser.Qt().errorText());
  }
  const QStringList rest = parser.Positional();
  if (parser.IsSet(QStringLiteral("version")) && rest.isEmpty()) {
    console.Result(Version());
    console.Message(password_store::Describe());
    return kDone;
  }
  if (parser.IsSet(QStringLiteral("help"))) {
    console.Result(parser.HelpText());
    return kDone;
  }
  if (rest.isEmpty()) return parser.UsageError(console, QStringLiteral("The command is missing."));
  const auto command = Commands().find(rest.constFirst());
  if (command == Commands().end()) {
    return parser.UsageError(console,
                             QStringLiteral("Unknown command '%1'.").arg(rest.constFirst()));
  }
  try {
    return command->second(rest, console);
  } catch (const std::exception& error) {
    console.Message(QString::fromUtf8(error.what()));
    return kRefused;
  }
}

}  // namespace cli
