#include "cli/command_line.h"

#include <QCoreApplication>
#include <cstdio>
#include <functional>
#include <map>

#include "cli/catalogue_commands.h"
#include "cli/command_parser.h"
#include "cli/job_commands.h"
#include "connections/password_store.h"
#include "platform/application.h"

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
    "  tables 1|2               The user tables of a database, one a line.\n"
    "  fields 1|2 TABLE         The fields of a table in column order, one a line.\n"
    "  join TABLE1 FIELD1 TABLE2 FIELD2 --into NAME [--overwrite]\n"
    "                           Joins two tables of Database #1 into a new table.\n"
    "  append --to 1|2 TABLE1 TABLE2 [--fast] [--yes] [--progress]\n"
    "                           Appends the rows of one table to the other: TABLE1 is in\n"
    "                           Database #1, TABLE2 in Database #2.\n"
    "\n"
    "'ombrelia COMMAND --help' tells more about a command.\n"
    "Exit status: 0 done; 1 refused by a check or by the server, or rows refused;\n"
    "2 wrong usage; 3 a database could not be opened.";

QString Version() {
  return QStringLiteral("ombrelia ") + QStringLiteral(OMBRELIA_VERSION);
}

}  // namespace

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
  parser.Qt().setOptionsAfterPositionalArgumentsMode(
      QCommandLineParser::ParseAsPositionalArguments);
  const QCommandLineOption version = parser.Qt().addVersionOption();
  parser.Qt().addPositionalArgument(QStringLiteral("COMMAND"),
                                    QStringLiteral("test, tables, fields, join or append."));
  if (!parser.Qt().parse(arguments)) return parser.UsageError(console, parser.Qt().errorText());
  const QStringList rest = parser.Positional();
  if (parser.Qt().isSet(version) && rest.isEmpty()) {
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
