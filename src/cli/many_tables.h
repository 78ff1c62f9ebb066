#pragma once

// The append of many tables in one run (--tables, --like, --all): each chosen table of the
// source's database into the table of the same schema and name in the other, one after the
// other in the order of their foreign keys, on the same two logins. Each table's line is
// written as it ends, and a total ends the run; one table's failure does not stop the others
// unless --stop-on-error. Ctrl-C stops the table under way and starts no other.

#include <QStringList>

#include "cli/engine_jobs.h"
#include "cli/statement_watch.h"
#include "cli/table_set.h"
#include "copy/existing_targets.h"

namespace cli {

// How the run goes beyond each table's own append.
struct ManyTablesRun {
  TableChoice choice;
  copy::ExistingTarget existing = copy::ExistingTarget::Unchosen;  // --existing
  bool truncate = false;  // --truncate: every target emptied first
  bool stopOnError = false;
  bool yes = false;                // --yes
  std::optional<int> columnOrder;  // --by-name or --by-position, as TerminalDialogs takes it
  bool quiet = false;
  bool json = false;
  ProgressLine::Mode progress = ProgressLine::Mode::Off;
};

// Runs the append of many tables with `job` as each table's pattern (logins, direction, way,
// --create, --truncate, --dry-run, time-out, refused rows) and gives the exit code: kDone when
// every table got every row.
int AppendManyTables(AppendJob& job, const ManyTablesRun& run, Console& console,
                     const StatementWatch& watch);

// When a statement of the table's run ran out of time: says so, with the rows written before.
void TellTimedOut(const TableRun& table, Console& console);

// --truncate asks once, before any table is written, unless --yes answered it; false when the
// answer is no (or there is no terminal to ask on).
bool TruncateAgreed(const QStringList& targets, bool yes, Console& console);

}  // namespace cli
