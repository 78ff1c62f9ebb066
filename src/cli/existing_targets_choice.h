#pragma once

// What a run of many tables does with its targets that exist, decided once before any table
// is written: their rows counted in one statement, the run refused when --existing refuse meets
// one, the tables kept when --existing keep says so, and a run that makes tables (--create)
// asking before it appends to targets that hold rows.

#include <optional>
#include <vector>

#include "cli/console.h"
#include "cli/table_check.h"
#include "cli/table_set.h"
#include "copy/existing_targets.h"

namespace cli {

// Counts the targets that exist where the choice needs their rows, marks those the run keeps,
// and gives the exit code when the run ends here (refused, or a count failed), told on the
// console; none when the run goes on. A dry run is refused where the run would be, but asks
// nothing.
std::optional<int> DecideExistingTargets(CheckedDatabase& target,
                                         std::vector<copy::PlannedTable>& pairs,
                                         copy::ExistingTarget& choice, bool create, bool dryRun,
                                         Console& console);

// A run that empties its existing targets (--existing empty, --truncate) is refused, before
// its question, when a table outside the run references one of them and holds rows: named,
// since emptying would leave its rows pointing at nothing. Gives the exit code when refused.
std::optional<int> EmptyingRefused(CheckedDatabase& target, std::vector<copy::PlannedTable>& pairs,
                                   const std::vector<MSSQL::ForeignKey>& targetKeys,
                                   Console& console);

// Empties the existing targets, all before the first is filled, the tables that reference
// others first, by DELETE where a foreign key refuses TRUNCATE. Gives the exit code when the
// server refuses it, told.
std::optional<int> EmptyExistingTargets(const CheckedDatabase& target, adodb::Connection& session,
                                        std::vector<copy::PlannedTable>& pairs,
                                        const std::vector<MSSQL::ForeignKey>& targetKeys,
                                        Console& console);

// --existing replace: the targets that exist are dropped and made again. Refused, named, when
// a table outside the run references one of them (the server drops no table that another
// references); asked unless --yes; a dry run prints the drops that its script would begin
// with (`script`). The pairs are then tables to make, and `replaced` names the tables to drop.
std::optional<int> ReplaceDecided(CheckedDatabase& target, std::vector<copy::PlannedTable>& pairs,
                                  const std::vector<MSSQL::ForeignKey>& targetKeys, bool yes,
                                  bool dryRun, bool script, Console& console,
                                  std::vector<MSSQL::TableName>& replaced);

// Drops the replaced targets once every question has passed, the referencing tables first.
std::optional<int> DropReplacedTargets(const CheckedDatabase& target, adodb::Connection& session,
                                       const std::vector<MSSQL::TableName>& replaced,
                                       Console& console);

}  // namespace cli
