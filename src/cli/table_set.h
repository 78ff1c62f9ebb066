#pragma once

// The tables of an append of many: chosen in the source's database by a list (--tables a,b),
// a pattern (--like 'sales%') or all its user tables (--all), each paired with the table of the
// same schema and name in the other database, and put in the order of their foreign keys.
// Everything here is asked of the servers before a row is written.

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "append/engine/append_engine.h"
#include "catalogue/foreign_keys.h"
#include "catalogue/table_name.h"
#include "cli/console.h"
#include "cli/table_check.h"
#include "copy/copy_plan.h"

namespace cli {

// How the command named the tables.
struct TableChoice {
  QStringList listed;  // --tables, as typed
  QString like;        // --like, the server's LIKE pattern on the table's name
  bool all = false;    // --all
};

// The source's tables the choice names, with their schemas, as the server names them. The
// empty optional, the failure told, when a listed name is no table there or the server
// cannot list them.
std::optional<std::vector<MSSQL::TableName>> ChosenTables(CheckedDatabase& source,
                                                          const TableChoice& choice,
                                                          Console& console);

// Each chosen table with the target of its schema and name, whose existence the target's
// server tells; a missing target is made with --create, else the table is not appended, with
// the reason.
std::optional<std::vector<copy::PlannedTable>> PairWithTargets(
    CheckedDatabase& target, const std::vector<MSSQL::TableName>& tables, bool create,
    Console& console);

// The pairs in an order where each comes after the tables it references, by the foreign keys
// of both databases; a cycle is told, with its tables, and gives the empty optional.
std::optional<std::vector<copy::PlannedTable>> InForeignKeyOrder(
    const std::vector<copy::PlannedTable>& pairs, const std::vector<MSSQL::ForeignKey>& keys,
    Console& console);

// The foreign keys of a database; the failure told and the empty optional when the server
// cannot list them.
std::optional<std::vector<MSSQL::ForeignKey>> ForeignKeysOf(CheckedDatabase& database,
                                                            Console& console);

}  // namespace cli
