#pragma once

// Where the join and append commands hand their job to the engines. A command has checked its
// arguments and opened the databases it needs before it gets here; its messages and questions
// already go to the terminal (TerminalDialogs), and the progress line is ready for the rows.
// Ctrl-C stops a run as the page's Stop button does.

#include <QString>

#include "cli/console.h"
#include "cli/progress_line.h"
#include "cli/terminal_dialogs.h"
#include "connections/connection_profile.h"

namespace cli {

// A join as the command line gives it: the join page's four choices in Database #1 and the new
// table's name; the overwrite question is answered by TerminalDialogs.
struct JoinJob {
  QString table1;
  QString field1;
  QString table2;
  QString field2;
  QString newName;
  ConnectionProfile profile1;
};

// An append as the command line gives it: `table1` is in Database #1, `table2` in Database #2.
struct AppendJob {
  QString table1;
  QString table2;
  bool appendToDatabase1 = true;  // --to 1: rows of table2 go into table1
  bool fast = false;              // --fast, as the append page's check box
  ConnectionProfile profile1;
  ConnectionProfile profile2;
};

// What a job gets to report through.
struct JobTerminal {
  Console& console;
  TerminalDialogs& dialogs;
  ProgressLine& progress;
};

// Each runs its job to the end and gives the exit code: kDone when it was done completely,
// kRefused when a check refused it, a question was declined or rows were refused.
int RunJoin(const JoinJob& job, JobTerminal& terminal);
int RunAppend(const AppendJob& job, JobTerminal& terminal);

// The exit code of a job that ran to its end, from what its boxes showed: kDone when it said
// "Done." with no error report and no declined question, else kRefused (a check stopped it, a
// question was declined, the server refused a statement or rows).
int ExitCodeOf(const TerminalDialogs& dialogs);

}  // namespace cli
