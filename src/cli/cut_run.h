#pragma once

// A run of many tables and the journal of its tables: a run that goes on after a cut (--resume)
// leaves the tables the cut run finished as they are, goes on with a cut one from its own
// journal, and runs the others; a plain run that meets a cut one asks before it starts anew.

#include <memory>
#include <optional>
#include <vector>

#include "cli/console.h"
#include "cli/engine_jobs.h"
#include "cli/table_set.h"
#include "copy/run_journal.h"

namespace cli {

// What a run does with one table, by the cut run's journal.
struct TableResume {
  append::AppendRequest::Resume resume = append::AppendRequest::Resume::Ask;
  QString done;    // finished by the cut run: its line; empty: it runs
  QString notRun;  // why it cannot run without risk of rows twice; empty: it runs
  bool madeByTheCutRun = false;
};

class CutRun {
 public:
  // The journal of the run `job` and `chosen` name. A --resume without one is refused; a run
  // that meets one without --resume or --start-over asks (refused without a terminal). Gives the
  // exit code when the run ends here, told.
  std::optional<int> Open(const AppendJob& job, const QString& chosen, Console& console);
  // What the run does with `pair`.
  TableResume Of(const AppendJob& job, const copy::PlannedTable& pair) const;
  // The journal's lines, as the tables begin and end (nothing in a dry run).
  void Began(const copy::PlannedTable& pair, bool made);
  void Ended(const AppendJob& job, const copy::PlannedTable& pair, const TableRun& run);
  // Every table complete: the journal goes.
  void Finished(bool complete);

 private:
  bool Writing();

  QString path_;
  bool dryRun_ = true;
  ConnectionProfile sourceLogin_;
  ConnectionProfile targetLogin_;
  QString chosen_;
  Console* console_ = nullptr;
  bool failed_ = false;
  std::optional<copy::RunJournalRecord> cut_;
  std::unique_ptr<copy::RunJournal> journal_;
  bool startAnew_ = false;  // the cut run's journals are set aside
};

// "tables:a,b" (as typed, in any order and case), "like:sales%", "all".
QString ChosenText(const TableChoice& choice);

}  // namespace cli
