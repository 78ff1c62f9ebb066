#include "cli/job_commands.h"

#include <QElapsedTimer>

#include "cli/append_options.h"
#include "cli/database_command.h"
#include "cli/engine_jobs.h"
#include "cli/json_report.h"
#include "cli/login_options.h"
#include "cli/many_tables.h"
#include "cli/statement_watch.h"
#include "cli/stop_on_interrupt.h"
#include "cli/table_argument.h"
#include "cli/table_check.h"
#include "jobs/both_at_once.h"
#include "join/join_statements.h"
#include "platform/desktop/dialogs.h"

namespace cli {
namespace {

// Parses a job's command line: its arguments, the login options and the table names, each
// checked before anything connects.
std::optional<int> ParseJob(CommandParser& parser, const QStringList& arguments, Console& console,
                            const QList<int>& tableArguments, const QList<int>& logins) {
  AddLoginOptions(parser, logins);
  parser.AddFlag(QStringLiteral("quiet"),
                 QStringLiteral("Leaves out the summary written when the job ends."));
  if (std::optional<int> exit = parser.Parse(arguments, console)) return exit;
  if (std::optional<QString> error = LoginOptionError(parser)) {
    return parser.UsageError(console, *error);
  }
  for (int at : tableArguments) {
    if (at >= parser.Positional().size()) continue;  // named by an option instead
    const QString typed = parser.Positional().at(at);
    if (!ParseTableArgument(typed)) return parser.UsageError(console, NotATableName(typed));
  }
  return std::nullopt;
}

// The new table is made in the default schema, so a schema typed with its name must be that
// one.
std::optional<QString> NewTableName(const CheckedDatabase& database, const QString& typed,
                                    Console& console) {
  const std::optional<MSSQL::TableName> name = ParseTableArgument(typed);
  if (name->schema.isEmpty() ||
      name->schema.compare(database.defaultSchema, Qt::CaseInsensitive) == 0) {
    return name->name;
  }
  console.Message(QStringLiteral("ombrelia: the new table is made in the default schema (%1) of "
                                 "Database #1, not in '%2'.")
                      .arg(database.defaultSchema, name->schema));
  return std::nullopt;
}

// What the overwrite question needs to know of Database #1: the listing when the checks made
// one, else the new table alone when the server has a table of its name. An answer the server
// refuses leaves the listing to tell.
std::vector<MSSQL::TableName> TablesForTheOverwriteQuestion(CheckedDatabase& database,
                                                            const QString& newName) {
  if (!database.listed) {
    try {
      const std::unique_ptr<adodb::Recordset> row =
          adodb::ExecuteForOneRow(*database.connection, join_statements::TableObject(newName));
      if (row->Eof()) throw platform::Error(QStringLiteral("no answer"));
      if (row->FieldValue(0).IsNull()) return {};
      return {MSSQL::TableName(newName)};
    } catch (const platform::Error&) {
      ListTables(database);
    }
  }
  return database.listing.tables;
}

// Both tables and their fields in Database #1, and the new table's name.
std::optional<int> CheckJoin(const QStringList& typed, const QString& into, Console& console,
                             JoinJob& job) {
  std::optional<CheckedDatabase> database = OpenForChecks(job.profile1, 1, console);
  if (!database) return kNotConnected;
  const std::optional<FoundTable> table1 = FindTable(*database, typed.at(0), console);
  if (!table1) return kRefused;
  const std::optional<QString> field1 = FindField(*database, *table1, typed.at(1), console);
  if (!field1) return kRefused;
  const std::optional<FoundTable> table2 = FindTable(*database, typed.at(2), console);
  if (!table2) return kRefused;
  const std::optional<QString> field2 = FindField(*database, *table2, typed.at(3), console);
  if (!field2) return kRefused;
  const std::optional<QString> newName = NewTableName(*database, into, console);
  if (!newName) return kRefused;
  job.table1 = table1->table;
  job.field1 = *field1;
  job.table2 = table2->table;
  job.field2 = *field2;
  job.newName = *newName;
  job.newTable = QualifiedName(*database, MSSQL::TableName(*newName));
  job.tables = TablesForTheOverwriteQuestion(*database, *newName);
  job.fields1 = table1->fields;
  job.fields2 = table2->fields;
  job.connection = std::move(database->connection);
  return std::nullopt;
}

// The table an append with --create makes, as typed: in the default schema unless another is
// named. Whether it exists already the run asks the server, before it makes anything.
FoundTable NewTable(const CheckedDatabase& database, const QString& typed) {
  MSSQL::TableName table = *ParseTableArgument(typed);
  if (table.schema.compare(database.defaultSchema, Qt::CaseInsensitive) == 0) table.schema.clear();
  return {table, {}};
}

// Table `number` of the append in its database (or the one --create makes there); the append
// goes on with the login that checked it.
std::optional<int> CheckAppendTable(int number, const QString& typed, Console& console,
                                    AppendJob& job) {
  const ConnectionProfile& login = number == 1 ? job.profile1 : job.profile2;
  std::optional<CheckedDatabase> database = OpenForChecks(login, number, console);
  if (!database) return kNotConnected;
  const bool made = job.create && job.appendToDatabase1 == (number == 1);
  const std::optional<FoundTable> found =
      made ? NewTable(*database, typed) : FindTable(*database, typed, console);
  if (!found) return kRefused;
  (number == 1 ? job.table1 : job.table2) = found->table;
  (number == 1 ? job.qualified1 : job.qualified2) = QualifiedName(*database, found->table);
  (number == 1 ? job.connection1 : job.connection2) = std::move(database->connection);
  (number == 1 ? job.fieldCount1 : job.fieldCount2) = found->fields.size();
  (number == 1 ? job.defaultSchema1 : job.defaultSchema2) = database->defaultSchema;
  return std::nullopt;
}

// Both tables of the append at once, each on its own login; what the checks write waits, so
// that only the first failure in the order of the databases is told.
std::optional<int> CheckAppendTables(const QStringList& typed, Console& console, AppendJob& job) {
  std::optional<int> exits[2];
  QString told[2];
  std::exception_ptr failures[2];
  const auto check = [&](int number) {
    QString unused;
    QTextStream out(&unused);
    QTextStream err(&told[number - 1]);
    Console checks(out, err);
    exits[number - 1] = CheckAppendTable(number, typed.at(number - 1), checks, job);
    err.flush();
  };
  jobs::BothAtOnce([&] { check(1); }, [&] { check(2); }, failures[0], failures[1]);
  for (int i : {0, 1}) {
    if (failures[i]) std::rethrow_exception(failures[i]);
    if (exits[i]) {
      console.Raw(told[i]);
      return exits[i];
    }
  }
  return std::nullopt;
}

// The run's mark on a session of its own while the tables are checked: the copy then need not
// wait for it after the checks. A table to be made is marked when the run makes it.
void AskForTheRunsMarkEarly(const QStringList& typed, AppendJob& job) {
  if (job.create) return;
  const int target = job.appendToDatabase1 ? 0 : 1;
  if (const std::optional<MSSQL::TableName> name = ParseTableArgument(typed.at(target))) {
    job.earlyMark = append::EarlyRunMark::Ask(target == 0 ? job.profile1 : job.profile2, *name,
                                              job.queryTimeout);
  }
}

// Both logins, checked before the first connects.
std::optional<int> ResolveLogins(const CommandParser& parser, Console& console,
                                 ConnectionProfile& login1, ConnectionProfile* login2) {
  if (std::optional<int> exit = ResolveLogin(parser, 1, console, login1)) return exit;
  if (login2) return ResolveLogin(parser, 2, console, *login2);
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

}  // namespace

int JoinCommand(const QStringList& arguments, Console& console) {
  CommandParser parser(QStringLiteral("join"),
                       QStringLiteral("Joins two tables of Database #1 on one field each into a "
                                      "new table of\nDatabase #1, as the join page does."),
                       QStringLiteral("TABLE1 FIELD1 TABLE2 FIELD2 --into NAME"));
  DeclareJoin(parser);
  if (std::optional<int> exit = ParseJob(parser, arguments, console, {0, 2}, {1})) return *exit;
  const QString into = parser.Value(QStringLiteral("into"));
  if (into.isEmpty()) return parser.UsageError(console, QStringLiteral("--into NAME is missing."));
  if (!ParseTableArgument(into)) return parser.UsageError(console, NotATableName(into));
  JoinJob job;
  if (std::optional<int> exit = ResolveLogins(parser, console, job.profile1, nullptr)) {
    return *exit;
  }
  const QStringList typed = parser.Positional();
  if (std::optional<int> exit = CheckJoin(typed, into, console, job)) return *exit;
  TerminalDialogs dialogs(console, QStringLiteral("--overwrite"),
                          parser.IsSet(QStringLiteral("overwrite")), job.newName);
  dialogs.Reword(QStringLiteral("Such table exist already."),
                 QStringLiteral("Such table exist already: %1.").arg(job.newTable));
  ProgressLine progress(console, ProgressLine::Mode::Off);
  JobTerminal terminal{console, dialogs, progress, parser.IsSet(QStringLiteral("quiet"))};
  return RunJoin(job, terminal);
}

int AppendCommand(const QStringList& arguments, Console& console) {
  CommandParser parser(QStringLiteral("append"),
                       QStringLiteral("Appends every row of one table to a table with as many "
                                      "columns in the other\ndatabase, as the append page does; "
                                      "or many tables, each into the table of\nits name."),
                       QStringLiteral("--to 1|2 (TABLE1 TABLE2 | --tables A,B | --like PATTERN | "
                                      "--all)"));
  DeclareAppend(parser);
  parser.PositionalsOr(ManyTablesOptions());
  if (std::optional<int> exit = ParseJob(parser, arguments, console, {0, 1}, {1, 2})) return *exit;
  std::optional<AppendSettings> settings = ReadAppendSettings(parser, console);
  if (!settings) return kWrongUsage;
  const StatementWatch watch(parser.IsSet(QStringLiteral("verbose")));
  AppendJob job = std::move(settings->job);
  if (std::optional<int> exit = ResolveLogins(parser, console, job.profile1, &job.profile2)) {
    return *exit;
  }
  job.profile1.LoginTimeout = job.profile2.LoginTimeout = settings->loginTimeout;
  const bool yes = parser.IsSet(QStringLiteral("yes"));
  if (settings->many) return AppendManyTables(job, *settings->many, console, watch);
  const bool json = parser.IsSet(QStringLiteral("json"));
  QElapsedTimer timer;
  timer.start();
  // A run that ends before its table still ends with its JSON object.
  const auto ended = [&](int exitCode) {
    if (json) console.Result(RunJson({}, timer.elapsed(), exitCode));
    return exitCode;
  };
  AskForTheRunsMarkEarly(parser.Positional(), job);
  if (std::optional<int> exit = CheckAppendTables(parser.Positional(), console, job)) {
    return ended(*exit);
  }
  const QString target = job.appendToDatabase1 ? job.qualified1 : job.qualified2;
  if (job.truncate && !job.dryRun && !TruncateAgreed({target}, yes, console)) {
    return ended(kRefused);
  }
  TerminalDialogs dialogs(console, QStringLiteral("--yes"), yes);
  dialogs.AnswerColumnOrder(ColumnOrderAnswer(parser));
  ProgressLine progress(console, ProgressLine::ModeFor(parser.IsSet(QStringLiteral("progress"))));
  JobTerminal terminal{console, dialogs, progress, parser.IsSet(QStringLiteral("quiet")), json};
  AppendRunContext context;
  const StopOnInterrupt interrupt(console, [&] { context.Interrupt(); });
  const TableRun run = AppendTable(job, terminal, context, watch);
  TellTimedOut(run, console);
  if (json) {
    console.Result(TableJson(run));
    console.Result(RunJson({run}, timer.elapsed(), run.exitCode));
  }
  return run.exitCode;
}

}  // namespace cli
