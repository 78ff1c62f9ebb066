#pragma once

// What becomes of the targets of a copy that exist already: one choice for the whole run,
// read once for all its tables (their rows counted in one statement), decided before anything
// is written. The window and the command line both ask it here.

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "catalogue/foreign_keys.h"
#include "catalogue/table_name.h"
#include "platform/odbc/adodb.h"

namespace copy {

enum class ExistingTarget {
  Unchosen,  // append, unless the run makes tables and a target holds rows: then it asks
  Append,    // the rows are appended to what the target holds
  Keep,      // the table is left as it is, and said to be
  Refuse,    // the run is refused before anything is written
  Empty,     // the target is emptied first
  Replace,   // the target is dropped and made again (with the tables the run makes)
};

// The choice a word names ("append", "keep", "refuse", "empty", "replace"), any case.
std::optional<ExistingTarget> ExistingTargetNamed(const QString& word);
// "append, keep, refuse, empty or replace"
QString ExistingTargetWords();

// Whether each table is there, asked of the server in one statement.
std::vector<bool> TablesThere(adodb::Connection& connection,
                              const std::vector<MSSQL::TableName>& tables);

// The rows of each table, counted by the server in one statement; a table of the list that the
// server cannot count fails the statement, with its text.
std::vector<qint64> RowsOfTables(adodb::Connection& connection,
                                 const std::vector<MSSQL::TableName>& tables);

// What the run does to an existing target holding `rows`, as a table's line says it:
// "holds 5 rows, kept as it is".
QString ExistingTargetWordsFor(ExistingTarget choice, qint64 rows);

// The tables outside `tables` whose foreign keys reference one of `tables`, by the target
// database's keys: emptying a referenced table would leave their rows pointing at nothing.
std::vector<MSSQL::TableName> ReferencingFromOutside(
    const std::vector<MSSQL::TableName>& tables, const std::vector<MSSQL::ForeignKey>& targetKeys);

// How a run empties its existing targets before it fills them: the tables that reference
// others first (the reverse of the order they are filled in), TRUNCATE TABLE where no foreign
// key references the table, else DELETE (in batches, or in one statement where the table
// references itself, whose rows the server checks only at the statement's end).
std::vector<QString> EmptyingStatements(const std::vector<MSSQL::TableName>& inFillOrder,
                                        const std::vector<MSSQL::ForeignKey>& targetKeys);

}  // namespace copy
