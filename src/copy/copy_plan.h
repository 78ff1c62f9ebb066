#pragma once

// The plan of a copy of many tables, which the window and the command line both drive: each
// source table paired with its target as the target's server names it, in the order the tables
// fill, what each target that exists holds, and the scripts of the targets the run makes. Every
// fact is read on the run's own sessions, a few statements for the whole run, never one a table.

#include <QString>
#include <optional>
#include <vector>

#include "append/engine/append_engine.h"
#include "catalogue/foreign_keys.h"
#include "catalogue/table_name.h"
#include "copy/copy_scripts.h"
#include "copy/table_script.h"

namespace adodb {
class Connection;
}  // namespace adodb

namespace copy {

// One table of a copy and what becomes of it.
struct PlannedTable {
  MSSQL::TableName source;  // with its schema, as the source's server names it
  MSSQL::TableName target;  // as the target's server names it when there, else as it is made
  bool targetExists = true;
  QString notRun{};                    // why the table is not copied, told in its line
  std::optional<qint64> targetRows{};  // an existing target's rows, once counted
  QString kept{};  // an existing target left as it is, as its line says it; empty: it is not
  // The script that makes the target, read for the tables the run makes.
  std::optional<TableScript> script{};
  std::optional<append::ResumeKey> sourceKey{};  // read for every table copied at once
  // A resumed run's: how it goes on with the table, and whether the cut run made its target
  // (which then still lacks its indexes, constraints, foreign keys and triggers).
  append::AppendRequest::Resume resume = append::AppendRequest::Resume::Ask;
  bool madeByTheCutRun = false;
  bool replaced = false;  // dropped before the tables are filled, and made again

  // Whether the run makes the target (or, made by a cut run, finishes making it).
  bool Makes() const { return notRun.isEmpty() && (!targetExists || madeByTheCutRun); }
};

// Each source with the target it goes into, `wanted.target`: as the target's server names it
// when a table of that name is there, as it stands when none is. One statement. Throws the
// server's error.
std::vector<PlannedTable> PairedWithTargets(adodb::Connection& target,
                                            const std::vector<TableToMake>& wanted);

// The tables in an order where each comes after the tables it references by `keys` (those of
// both databases: the targets made have none yet, and the sources' stand for theirs). Empty
// when they reference one another round a cycle, whose tables are put in `cycle`.
std::optional<std::vector<PlannedTable>> InFillOrder(const std::vector<PlannedTable>& tables,
                                                     const std::vector<MSSQL::ForeignKey>& keys,
                                                     QStringList& cycle);

// The rows of every target that is there and is copied into, in one statement. Throws the
// server's error.
void CountExistingTargets(adodb::Connection& target, std::vector<PlannedTable>& tables);

// The script of every table the run makes, read for all of them at once. Throws the server's
// error.
void ReadScripts(adodb::Connection& source, adodb::Connection& target,
                 std::vector<PlannedTable>& tables);

// The key of every source copied, which its run reads its rows by and goes on after, read for
// all of them at once. A server that cannot tell them leaves each table's run to read its own;
// a lost session throws.
void ReadSourceKeys(adodb::Connection& source, std::vector<PlannedTable>& tables);

}  // namespace copy
