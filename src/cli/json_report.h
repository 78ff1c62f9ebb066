#pragma once

// --json: what an append did, as one JSON object a line on standard output, for scripts: one
// for each table as it ends, one for the run at the end.
//   {"kind":"table","source":"db1.dbo.A","target":"db2.dbo.A","way":"batches",
//    "rows_before":10,"rows_after":15,"appended":5,"refused":0,"refused_file":null,
//    "seconds":0.25,"outcome":"done"}
//   {"kind":"run","tables":3,"complete":2,"appended":5,"refused":1,"seconds":1.5,
//    "outcome":"incomplete","exit_code":1}
// A dry run's table holds "source_rows" and "target_rows" instead of the written rows.

#include <QString>
#include <vector>

#include "cli/engine_jobs.h"

namespace cli {

// "done", "rows refused", "stopped", "timed out", "interrupted", "failed", "not run", "dry run".
QString OutcomeWord(const TableRun& run);

// What the tables of a run add up to: the rows appended and refused, and the tables that got
// every row.
struct RunTotals {
  qint64 appended = 0;
  qint64 refused = 0;
  int complete = 0;
};
RunTotals TotalsOf(const std::vector<TableRun>& runs);

QString TableJson(const TableRun& run);
QString RunJson(const std::vector<TableRun>& runs, qint64 elapsedMs, int exitCode);

}  // namespace cli
