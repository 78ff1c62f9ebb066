#include "cli/append_options.h"

#include "append/engine/condition_fault.h"
#include "copy/existing_targets.h"
#include "platform/desktop/dialogs.h"

namespace cli {
namespace {

// --max-refused N: a whole number from 1; 0 when it was not given, the empty optional when it
// is wrong.
std::optional<qint64> MaxRefused(const CommandParser& parser) {
  if (!parser.IsSet(QStringLiteral("max-refused"))) return 0;
  bool number = false;
  const qint64 count = parser.Value(QStringLiteral("max-refused")).toLongLong(&number);
  if (!number || count < 1) return std::nullopt;
  return count;
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

// The option among the many tables' ways of naming them, or a usage error's text when more than
// one is given.
// --existing says what becomes of the targets of a run of many tables that exist already.
std::optional<QString> ExistingTargetError(const CommandParser& parser, int tableOptions) {
  if (!parser.IsSet(QStringLiteral("existing"))) return std::nullopt;
  const QString word = parser.Value(QStringLiteral("existing"));
  const std::optional<copy::ExistingTarget> choice = copy::ExistingTargetNamed(word);
  if (!choice) {
    return QStringLiteral("--existing takes %1, not '%2'.").arg(copy::ExistingTargetWords(), word);
  }
  if (tableOptions == 0) {
    return QStringLiteral("--existing is for a run of many tables: --tables, --like or --all.");
  }
  if (*choice == copy::ExistingTarget::Replace && !parser.IsSet(QStringLiteral("create"))) {
    return QStringLiteral("--existing replace makes the tables again: it goes with --create.");
  }
  if (parser.IsSet(QStringLiteral("truncate"))) {
    return QStringLiteral("--truncate is --existing empty: give one.");
  }
  return std::nullopt;
}

std::optional<QString> ManyTablesError(const CommandParser& parser) {
  int given = 0;
  for (const QString& option : ManyTablesOptions()) given += parser.IsSet(option) ? 1 : 0;
  if (const std::optional<QString> error = ExistingTargetError(parser, given)) return error;
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
  if (parser.IsSet(QStringLiteral("force")) && !parser.IsSet(QStringLiteral("resume"))) {
    return QStringLiteral("--force goes with --resume.");
  }
  if (parser.IsSet(QStringLiteral("start-over")) && parser.IsSet(QStringLiteral("resume"))) {
    return QStringLiteral("--resume and --start-over exclude each other: give one.");
  }
  const bool many = parser.IsSet(QStringLiteral("tables")) ||
                    parser.IsSet(QStringLiteral("like")) || parser.IsSet(QStringLiteral("all"));
  if (parser.IsSet(QStringLiteral("resume")) && many) {
    for (const QString& option : {QStringLiteral("truncate"), QStringLiteral("existing")}) {
      if (parser.IsSet(option)) {
        return QStringLiteral(
                   "--resume goes on with the cut run of these tables as it was: not with --%1.")
            .arg(option);
      }
    }
  } else if (parser.IsSet(QStringLiteral("resume"))) {
    for (const QString& option :
         {QStringLiteral("truncate"), QStringLiteral("existing"), QStringLiteral("create"),
          QStringLiteral("tables"), QStringLiteral("like"), QStringLiteral("all")}) {
      if (parser.IsSet(option)) {
        return QStringLiteral(
                   "--resume goes on with the cut append of TABLE1 and TABLE2 as "
                   "they are: not with --%1.")
            .arg(option);
      }
    }
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
  if (const std::optional<QString> fault =
          append::ConditionFault(parser.Value(QStringLiteral("where")))) {
    return QStringLiteral("--where takes a search condition that stands alone: %1.").arg(*fault);
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
  run.existing = copy::ExistingTargetNamed(parser.Value(QStringLiteral("existing")))
                     .value_or(copy::ExistingTarget::Unchosen);
  run.columnOrder = ColumnOrderAnswer(parser);
  run.yes = parser.IsSet(QStringLiteral("yes"));
  run.quiet = parser.IsSet(QStringLiteral("quiet"));
  run.json = parser.IsSet(QStringLiteral("json"));
  run.progress = ProgressLine::ModeFor(parser.IsSet(QStringLiteral("progress")));
  return run;
}

}  // namespace

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
  parser.AddValue(QStringLiteral("existing"),
                  QStringLiteral("With --tables, --like or --all: what becomes of targets that "
                                 "exist: append (their rows stay, the new ones are added), keep "
                                 "(left as they are), refuse (the run writes nothing), empty "
                                 "(emptied first; with --create the missing ones are made), or "
                                 "replace (with --create: dropped and made again)."),
                  QStringLiteral("WHAT"));
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
                 QStringLiteral("Makes the table on the --to side like the other one first, "
                                "whole (columns, keys, indexes, constraints, foreign keys, "
                                "triggers); one that exists is refused."));
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
                                "source rows that would go and the target's rows (on one server "
                                "also the source's keys it holds already); writes nothing."));
  parser.AddFlag(QStringLiteral("resume"),
                 QStringLiteral("Goes on from the last append of these tables that ended short "
                                "(stopped, cut off, killed), after the last row it wrote: the "
                                "same logins, condition and way; refused when the target "
                                "changed since. With --tables, --like or --all: the tables the "
                                "cut run finished are left as they are, the cut one goes on, "
                                "the others run."));
  parser.AddFlag(QStringLiteral("start-over"),
                 QStringLiteral("When the last append of these tables ended short, starts anew "
                                "instead of going on from it (its journal is set aside); without "
                                "--resume or --start-over such a run is asked about, and refused "
                                "without a terminal."));
  parser.AddFlag(QStringLiteral("force"),
                 QStringLiteral("With --resume: goes on after the largest key the target holds, "
                                "whatever the cut run left."));
  parser.AddValue(QStringLiteral("max-refused"),
                  QStringLiteral("Stops after the Nth row the server refuses; the rows written "
                                 "before stay. Without it, every refused row is lost alone and "
                                 "the run goes on."),
                  QStringLiteral("N"));
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
  // Without either, a cut run's journal is a question: a run never starts anew unasked.
  job.resume = parser.IsSet(QStringLiteral("force"))        ? append::AppendRequest::Resume::Force
               : parser.IsSet(QStringLiteral("resume"))     ? append::AppendRequest::Resume::Yes
               : parser.IsSet(QStringLiteral("start-over")) ? append::AppendRequest::Resume::No
                                                            : append::AppendRequest::Resume::Ask;
  job.queryTimeout = Seconds(parser, QStringLiteral("query-timeout")).value_or(0);
  settings.loginTimeout = Seconds(parser, QStringLiteral("login-timeout")).value_or(0);
  settings.many = ManyTablesOf(parser);
  return settings;
}

}  // namespace cli
