#include "cli/job_commands.h"

#include <QElapsedTimer>

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

void DeclareAppend(CommandParser& parser) {
  parser.AddPositional(QStringLiteral("TABLE1"), QStringLiteral("A table of Database #1."));
  parser.AddPositional(QStringLiteral("TABLE2"), QStringLiteral("A table of Database #2."));
  parser.AddValue(QStringLiteral("to"),
                  QStringLiteral("The database whose table takes the rows: 1 or 2."),
                  QStringLiteral("1|2"));
  parser.AddValue(QStringLiteral("tables"),
                  QStringLiteral("Appends each of these tables of the source's database (comma "
                                 "between them) into the table of the same name in the other; "
                                 "TABLE1 and TABLE2 are then left out."),
                  QStringLiteral("A,B,..."));
  parser.AddValue(QStringLiteral("like"),
                  QStringLiteral("Appends each table of the source's database whose name "
                                 "matches PATTERN (as LIKE matches it: % any text, _ one "
                                 "letter), as --tables does."),
                  QStringLiteral("PATTERN"));
  parser.AddFlag(QStringLiteral("all"),
                 QStringLiteral("Appends every user table of the source's database, as --tables "
                                "does."));
  parser.AddFlag(QStringLiteral("stop-on-error"),
                 QStringLiteral("With several tables, starts no other table once one did not "
                                "get every row."));
  parser.AddFlag(
      QStringLiteral("fast"),
      QStringLiteral("The fastest way proven for the logins, as by default: the server's own "
                     "copy when the servers prove both logins reach one server, else batches."));
  parser.AddFlag(QStringLiteral("one-by-one"),
                 QStringLiteral("Appends with one INSERT a row, as the append page does without "
                                "its Fast box."));
  parser.AddFlag(QStringLiteral("truncate"),
                 QStringLiteral("Empties each target before its rows are written (asked unless "
                                "--yes); not with --create."));
  parser.AddFlag(QStringLiteral("json"),
                 QStringLiteral("Writes on standard output one JSON object for each table and "
                                "one for the run, and nothing else."));
  parser.AddValue(QStringLiteral("login-timeout"),
                  QStringLiteral("Gives up a login that takes longer than S seconds."),
                  QStringLiteral("S"));
  parser.AddValue(QStringLiteral("query-timeout"),
                  QStringLiteral("Gives up a statement that runs longer than S seconds, and "
                                 "says what was written before it."),
                  QStringLiteral("S"));
  parser.AddFlag(QStringLiteral("verbose"),
                 QStringLiteral("Writes every statement sent, with its time, on standard error "
                                "(the rows' values left out)."));
  parser.AddFlag(QStringLiteral("create"),
                 QStringLiteral("Makes the table on the --to side like the other one first (its "
                                "columns, identity and primary key); one that exists is "
                                "refused."));
  parser.AddFlag(QStringLiteral("yes"), QStringLiteral("Answers yes to the append's questions."));
  parser.AddFlag(QStringLiteral("by-name"),
                 QStringLiteral("Appends by name when both tables have the same columns in "
                                "another order."));
  parser.AddFlag(QStringLiteral("by-position"),
                 QStringLiteral("Appends by position when the columns differ in name or order."));
  parser.AddValue(QStringLiteral("refused"),
                  QStringLiteral("Keeps the rows the server refuses in FILE (CSV), replacing it; "
                                 "by default in a new file under the user's data folder."),
                  QStringLiteral("FILE"));
  parser.AddFlag(QStringLiteral("progress"),
                 QStringLiteral("Writes the progress also when standard error is no terminal "
                                "(a file, a pipe): one line a second."));
  parser.AddValue(QStringLiteral("where"),
                  QStringLiteral("Appends only the source rows for which CONDITION holds: a "
                                 "Transact-SQL search condition on the source table's columns, "
                                 "as after WHERE."),
                  QStringLiteral("CONDITION"));
  parser.AddFlag(QStringLiteral("dry-run"),
                 QStringLiteral("Logs in, checks the tables and asks what a run asks, then tells "
                                "the way the rows would go, how the columns face each other, the "
                                "source rows that would go and the target's rows; writes "
                                "nothing."));
  parser.AddValue(QStringLiteral("max-refused"),
                  QStringLiteral("Stops after the Nth row the server refuses; the rows written "
                                 "before stay. Without it, every refused row is lost alone and "
                                 "the run goes on."),
                  QStringLiteral("N"));
}

// --max-refused N: a whole number from 1; 0 when it was not given, the empty optional when it
// is wrong.
std::optional<qint64> MaxRefused(const CommandParser& parser) {
  if (!parser.IsSet(QStringLiteral("max-refused"))) return 0;
  bool number = false;
  const qint64 count = parser.Value(QStringLiteral("max-refused")).toLongLong(&number);
  if (!number || count < 1) return std::nullopt;
  return count;
}

// The answer --by-name or --by-position gives to the question of matching the columns.
std::optional<int> ColumnOrderAnswer(const CommandParser& parser) {
  if (parser.IsSet(QStringLiteral("by-name"))) return dialogs::vbYes;
  if (parser.IsSet(QStringLiteral("by-position"))) return dialogs::vbNo;
  return std::nullopt;
}

QStringList ManyTablesOptions() {
  return {QStringLiteral("tables"), QStringLiteral("like"), QStringLiteral("all")};
}

// A time-out in whole seconds from 1; 0 when the option was not given, the empty optional when
// it is wrong.
std::optional<int> Seconds(const CommandParser& parser, const QString& option) {
  if (!parser.IsSet(option)) return 0;
  bool number = false;
  const int seconds = parser.Value(option).toInt(&number);
  if (!number || seconds < 1) return std::nullopt;
  return seconds;
}

// The command's options as the job they make; a wrong one is the usage error's text.
struct AppendSettings {
  AppendJob job;
  std::optional<ManyTablesRun> many;
  int loginTimeout = 0;
};

// The option among the many tables' ways of naming them, or a usage error's text when more than
// one is given.
std::optional<QString> ManyTablesError(const CommandParser& parser) {
  int given = 0;
  for (const QString& option : ManyTablesOptions()) given += parser.IsSet(option) ? 1 : 0;
  if (given == 0) return std::nullopt;
  if (given > 1) return QStringLiteral("--tables, --like and --all exclude each other: give one.");
  if (parser.IsSet(QStringLiteral("where"))) {
    return QStringLiteral("--where is for one table: give TABLE1 and TABLE2 instead.");
  }
  if (parser.IsSet(QStringLiteral("refused"))) {
    return QStringLiteral(
        "--refused names one file, for one table: with several, each table's "
        "refused rows go to a file of their own.");
  }
  if (parser.IsSet(QStringLiteral("tables")) &&
      parser.Value(QStringLiteral("tables")).trimmed().isEmpty()) {
    return QStringLiteral("--tables takes table names, a comma between them.");
  }
  return std::nullopt;
}

std::optional<QString> AppendOptionError(const CommandParser& parser) {
  if (!DatabaseNumber(parser.Value(QStringLiteral("to")))) {
    return QStringLiteral("--to takes 1 or 2.");
  }
  if (parser.IsSet(QStringLiteral("by-name")) && parser.IsSet(QStringLiteral("by-position"))) {
    return QStringLiteral("--by-name and --by-position exclude each other: give one.");
  }
  if (parser.IsSet(QStringLiteral("fast")) && parser.IsSet(QStringLiteral("one-by-one"))) {
    return QStringLiteral("--fast and --one-by-one exclude each other: give one.");
  }
  if (parser.IsSet(QStringLiteral("truncate")) && parser.IsSet(QStringLiteral("create"))) {
    return QStringLiteral(
        "--truncate empties tables that are there, --create makes them: give "
        "one.");
  }
  if (!MaxRefused(parser)) {
    return QStringLiteral("--max-refused takes a whole number from 1, not '%1'.")
        .arg(parser.Value(QStringLiteral("max-refused")));
  }
  for (const QString& option : {QStringLiteral("login-timeout"), QStringLiteral("query-timeout")}) {
    if (!Seconds(parser, option)) {
      return QStringLiteral("--%1 takes a whole number of seconds from 1, not '%2'.")
          .arg(option, parser.Value(option));
    }
  }
  if (parser.IsSet(QStringLiteral("where")) &&
      parser.Value(QStringLiteral("where")).trimmed().isEmpty()) {
    return QStringLiteral("--where takes a search condition.");
  }
  return ManyTablesError(parser);
}

// What the options say of the many tables' run, when they name tables that way.
std::optional<ManyTablesRun> ManyTablesOf(const CommandParser& parser) {
  if (!parser.IsSet(QStringLiteral("tables")) && !parser.IsSet(QStringLiteral("like")) &&
      !parser.IsSet(QStringLiteral("all"))) {
    return std::nullopt;
  }
  ManyTablesRun run;
  for (const QString& name : parser.Value(QStringLiteral("tables")).split(QLatin1Char(','))) {
    if (!name.trimmed().isEmpty()) run.choice.listed << name.trimmed();
  }
  run.choice.like = parser.Value(QStringLiteral("like"));
  run.choice.all = parser.IsSet(QStringLiteral("all"));
  run.stopOnError = parser.IsSet(QStringLiteral("stop-on-error"));
  run.columnOrder = ColumnOrderAnswer(parser);
  run.yes = parser.IsSet(QStringLiteral("yes"));
  run.quiet = parser.IsSet(QStringLiteral("quiet"));
  run.json = parser.IsSet(QStringLiteral("json"));
  run.progress = ProgressLine::ModeFor(parser.IsSet(QStringLiteral("progress")));
  return run;
}

std::optional<AppendSettings> ReadAppendSettings(const CommandParser& parser, Console& console) {
  if (const std::optional<QString> error = AppendOptionError(parser)) {
    parser.UsageError(console, *error);
    return std::nullopt;
  }
  AppendSettings settings;
  AppendJob& job = settings.job;
  job.appendToDatabase1 = DatabaseNumber(parser.Value(QStringLiteral("to"))) == 1;
  // The fastest proven way unless one INSERT a row is asked for.
  job.fast = !parser.IsSet(QStringLiteral("one-by-one"));
  job.create = parser.IsSet(QStringLiteral("create"));
  job.truncate = parser.IsSet(QStringLiteral("truncate"));
  job.refusedFile = parser.Value(QStringLiteral("refused"));
  job.where = parser.Value(QStringLiteral("where")).trimmed();
  job.dryRun = parser.IsSet(QStringLiteral("dry-run"));
  job.maxRefused = MaxRefused(parser).value_or(0);
  job.queryTimeout = Seconds(parser, QStringLiteral("query-timeout")).value_or(0);
  settings.loginTimeout = Seconds(parser, QStringLiteral("login-timeout")).value_or(0);
  settings.many = ManyTablesOf(parser);
  return settings;
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
  if (std::optional<int> exit = CheckAppendTables(parser.Positional(), console, job)) {
    return *exit;
  }
  const QString target = job.appendToDatabase1 ? job.qualified1 : job.qualified2;
  if (job.truncate && !job.dryRun && !TruncateAgreed({target}, yes, console)) return kRefused;
  TerminalDialogs dialogs(console, QStringLiteral("--yes"), yes);
  dialogs.AnswerColumnOrder(ColumnOrderAnswer(parser));
  ProgressLine progress(console, ProgressLine::ModeFor(parser.IsSet(QStringLiteral("progress"))));
  const bool json = parser.IsSet(QStringLiteral("json"));
  JobTerminal terminal{console, dialogs, progress, parser.IsSet(QStringLiteral("quiet")), json};
  AppendRunContext context;
  const StopOnInterrupt interrupt(console, [&] { context.Interrupt(); });
  QElapsedTimer timer;
  timer.start();
  const TableRun run = AppendTable(job, terminal, context, watch);
  TellTimedOut(run, console);
  if (json) {
    console.Result(TableJson(run));
    console.Result(RunJson({run}, timer.elapsed(), run.exitCode));
  }
  return run.exitCode;
}

}  // namespace cli
