#pragma once

// Where the join and append commands hand their job to the engines. A command has checked its
// arguments, its logins and the tables and fields it names before it gets here; its messages
// and questions already go to the terminal (TerminalDialogs), and the progress line is ready
// for the rows. Ctrl-C stops a run as the page's Stop button does; so does the first report
// of a failure. The job ends with its summary.

#include <QString>
#include <QStringList>
#include <memory>

#include "append/engine/append_engine.h"
#include "catalogue/table_name.h"
#include "cli/console.h"
#include "cli/progress_line.h"
#include "cli/statement_watch.h"
#include "cli/terminal_dialogs.h"
#include "connections/connection_profile.h"
#include "platform/odbc/adodb.h"

namespace cli {

// A join as the command line gives it: the join page's four choices in Database #1, as the
// database names them, and the new table's name; the overwrite question is answered by
// TerminalDialogs.
struct JoinJob {
  MSSQL::TableName table1;
  QString field1;
  MSSQL::TableName table2;
  QString field2;
  QString newName;                       // in the default schema
  QString newTable;                      // "db1.dbo.Joined", for the summary
  std::vector<MSSQL::TableName> tables;  // the tables of Database #1, for the overwrite question
  ConnectionProfile profile1;
  // The login that checked the names, and the fields it read: the join goes on with them.
  std::unique_ptr<adodb::Connection> connection;
  QStringList fields1;
  QStringList fields2;
};

// An append as the command line gives it: `table1` is in Database #1, `table2` in Database #2.
struct AppendJob {
  MSSQL::TableName table1;
  MSSQL::TableName table2;
  bool appendToDatabase1 = true;  // --to 1: rows of table2 go into table1
  bool fast = false;              // --fast, as the append page's check box
  bool create = false;            // --create: the target is made like the source first
  bool droppedFirst = false;      // the run drops a table of the target's name first
  QString refusedFile;            // --refused FILE, or empty: a file in the user's data folder
  QString where;                  // --where CONDITION on the source, or empty: every row
  bool dryRun = false;            // --dry-run: tells what the append would do, writes nothing
  // --resume (--force): goes on from the cut run of these tables; otherwise a new run.
  append::AppendRequest::Resume resume = append::AppendRequest::Resume::No;
  qint64 maxRefused = 0;  // --max-refused N, or 0: no limit
  bool truncate = false;  // --truncate, already agreed to: the target is emptied first
  int queryTimeout = 0;   // --query-timeout S, or 0: the engine's own
  // A run of many tables: the script of the target to make, written for the whole run; its
  // foreign keys and triggers come once every table holds its rows.
  std::optional<copy::TableScript> script{};
  std::optional<append::ResumeKey> sourceKey{};  // read with the other tables' keys
  ConnectionProfile profile1;
  ConnectionProfile profile2;
  QString qualified1;  // "db1.dbo.Orders": table1, for the messages and the summary
  QString qualified2;
  qsizetype fieldCount1 = 0;  // the fields of table1, as the check found them
  qsizetype fieldCount2 = 0;
  // The logins that checked the tables, open on each database: the append goes on with them.
  std::unique_ptr<adodb::Connection> connection1;
  std::unique_ptr<adodb::Connection> connection2;
  QString defaultSchema1;  // each login's default schema, as the checks read it
  QString defaultSchema2;
  // The run's mark, asked for on a session of its own while the tables were checked.
  std::unique_ptr<append::EarlyRunMark> earlyMark;
};

// What a job gets to report through; `quiet` leaves the summary out.
struct JobTerminal {
  Console& console;
  TerminalDialogs& dialogs;
  ProgressLine& progress;
  bool quiet = false;
  // Standard output holds no plan of a dry run: it holds the JSON objects (--json), or the
  // many tables' own lines.
  bool json = false;
};

// Runs the join to the end and gives its exit code (ExitCodeOf).
int RunJoin(JoinJob& job, JobTerminal& terminal);

// One table's append as it ended, for its line, its JSON object and the exit code.
struct TableRun {
  QString source{};  // "db1.dbo.Orders"
  QString target{};
  std::optional<append::AppendEngine::Outcome> outcome{};  // none: no row was to go
  qint64 elapsedMs = 0;
  int exitCode = kDone;
  bool timedOut = false;       // a statement ran longer than --query-timeout
  QString notRun{};            // why the table was not appended at all
  bool emptiesTarget = false;  // --truncate empties (or would empty) it first
  QString kept{};  // the target exists and the run leaves it as it is: how its line says it
  bool doneBefore = false;  // finished by the cut run that this one goes on from
  std::optional<append::AppendEngine::Plan> plan{};  // a dry run's
};

// What the runs of one command share: Ctrl-C stops the engine under way, the statements are
// watched for time-outs.
struct AppendRunContext {
  append::AppendEngine* running = nullptr;
  bool interrupted = false;
  int timeoutsSeen = 0;  // the watch's count when the table began

  // Ctrl-C: the run is marked interrupted and the table under way stops.
  void Interrupt() {
    interrupted = true;
    if (running) running->Stop();
  }
};

// Runs one table's append (or its dry run) to the end, the summary written unless quiet; the
// logins are left in the job for the next table, where they still serve.
TableRun AppendTable(AppendJob& job, JobTerminal& terminal, AppendRunContext& context,
                     const StatementWatch& watch);

// The exit code of a job that ran to its end: kInterrupted after Ctrl-C; kDone when it said
// "Done." (or that its source had no rows) with no error report and no declined question;
// else kRefused (a check stopped it, a question was declined, the server refused a statement
// or rows).
int ExitCodeOf(const TerminalDialogs& dialogs, bool interrupted = false);

}  // namespace cli
