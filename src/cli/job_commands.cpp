#include "cli/job_commands.h"

#include "cli/database_command.h"
#include "cli/engine_jobs.h"
#include "cli/login_options.h"

namespace cli {
namespace {

// Parses a job's command line: its arguments and the login options.
std::optional<int> ParseJob(CommandParser& parser, const QStringList& arguments, Console& console) {
  AddLoginOptions(parser);
  if (std::optional<int> exit = parser.Parse(arguments, console)) return exit;
  if (std::optional<QString> error = LoginOptionError(parser)) {
    return parser.UsageError(console, *error);
  }
  return std::nullopt;
}

// The job's logins, each opened once first as "Next >" does; the empty optional when they
// all open.
std::optional<int> CheckLogins(std::initializer_list<const ConnectionProfile*> logins,
                               Console& console) {
  int number = 0;
  for (const ConnectionProfile* login : logins) {
    if (!Connect(*login, console, NotValid(++number))) return kNotConnected;
  }
  return std::nullopt;
}

void DeclareJoin(CommandParser& parser) {
  parser.AddPositional(QStringLiteral("TABLE1"), QStringLiteral("The first table."));
  parser.AddPositional(QStringLiteral("FIELD1"), QStringLiteral("Its field to join on."));
  parser.AddPositional(QStringLiteral("TABLE2"), QStringLiteral("The second table."));
  parser.AddPositional(QStringLiteral("FIELD2"), QStringLiteral("Its field to join on."));
  parser.AddValue(QStringLiteral("into"), QStringLiteral("The name of the new table."),
                  QStringLiteral("NAME"));
  parser.AddFlag(QStringLiteral("overwrite"),
                 QStringLiteral("Answers yes when a table of that name exists already."));
}

void DeclareAppend(CommandParser& parser) {
  parser.AddPositional(QStringLiteral("TABLE1"), QStringLiteral("A table of Database #1."));
  parser.AddPositional(QStringLiteral("TABLE2"), QStringLiteral("A table of Database #2."));
  parser.AddValue(QStringLiteral("to"),
                  QStringLiteral("The database whose table takes the rows: 1 or 2."),
                  QStringLiteral("1|2"));
  parser.AddFlag(
      QStringLiteral("fast"),
      QStringLiteral("Appends as the append page's Fast box does: many rows a statement, or the "
                     "server's own copy when both logins reach the same server."));
  parser.AddFlag(QStringLiteral("yes"), QStringLiteral("Answers yes to the append's questions."));
  parser.AddFlag(QStringLiteral("progress"),
                 QStringLiteral("Shows the progress also when standard error is no terminal."));
}

}  // namespace

int JoinCommand(const QStringList& arguments, Console& console) {
  CommandParser parser(QStringLiteral("join"),
                       QStringLiteral("Joins two tables of Database #1 on one field each into a "
                                      "new table of\nDatabase #1, as the join page does."),
                       QStringLiteral("TABLE1 FIELD1 TABLE2 FIELD2 --into NAME"));
  DeclareJoin(parser);
  if (std::optional<int> exit = ParseJob(parser, arguments, console)) return *exit;
  const QString newName = parser.Value(QStringLiteral("into"));
  if (newName.isEmpty())
    return parser.UsageError(console, QStringLiteral("--into NAME is missing."));
  const QStringList tables = parser.Positional();
  JoinJob job{tables.at(0), tables.at(1), tables.at(2), tables.at(3), newName, Login(parser, 1)};
  if (std::optional<int> exit = CheckLogins({&job.profile1}, console)) return *exit;
  TerminalDialogs dialogs(console, QStringLiteral("--overwrite"),
                          parser.IsSet(QStringLiteral("overwrite")), newName);
  ProgressLine progress(console, ProgressLine::Mode::Off);
  JobTerminal terminal{console, dialogs, progress};
  return RunJoin(job, terminal);
}

int AppendCommand(const QStringList& arguments, Console& console) {
  CommandParser parser(QStringLiteral("append"),
                       QStringLiteral("Appends every row of one table to a table with as many "
                                      "columns in the other\ndatabase, as the append page does."),
                       QStringLiteral("--to 1|2 TABLE1 TABLE2"));
  DeclareAppend(parser);
  if (std::optional<int> exit = ParseJob(parser, arguments, console)) return *exit;
  const std::optional<int> target = DatabaseNumber(parser.Value(QStringLiteral("to")));
  if (!target) return parser.UsageError(console, QStringLiteral("--to takes 1 or 2."));
  const QStringList tables = parser.Positional();
  AppendJob job{tables.at(0),     tables.at(1),
                *target == 1,     parser.IsSet(QStringLiteral("fast")),
                Login(parser, 1), Login(parser, 2)};
  if (std::optional<int> exit = CheckLogins({&job.profile1, &job.profile2}, console)) {
    return *exit;
  }
  TerminalDialogs dialogs(console, QStringLiteral("--yes"), parser.IsSet(QStringLiteral("yes")));
  ProgressLine progress(console, ProgressLine::ModeFor(parser.IsSet(QStringLiteral("progress"))));
  JobTerminal terminal{console, dialogs, progress};
  return RunAppend(job, terminal);
}

}  // namespace cli
