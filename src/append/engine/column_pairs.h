#pragma once

// The look before an append: the columns of source and target face each other by position,
// and the pairs that differ in name (letter case aside) or in kind (text, number, date and
// time, binary, other) are put to the user before any row is written. When both tables have
// the same columns in another order, the user may have them matched by name instead.

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "catalogue/column_facts.h"

namespace append {

// The kind a catalogue type belongs to: "text", "number", "date and time", "binary" or "other".
QString KindOf(const QString& type);

// "3: Total (decimal) -> Placed (datetime)" for each facing pair that differs, in column order;
// target columns the server fills itself take no value and are left out with their source.
QStringList DifferingPairs(const MSSQL::TableFacts& source, const MSSQL::TableFacts& target);

// The question for those pairs: at most ten are listed, and how many more there are.
QString PositionalAppendQuestion(const QStringList& pairs);

// For each target column an INSERT writes, in order, the position of the one source column of
// the same name (letter case aside); nothing when a written column has none, or several, or
// the columns of either table are not known.
std::optional<std::vector<std::size_t>> SourceColumnsByName(const MSSQL::TableFacts& source,
                                                            const MSSQL::TableFacts& target);

// Every written target column has its source column by name, but not every one by position.
bool SameColumnsInAnotherOrder(const MSSQL::TableFacts& source, const MSSQL::TableFacts& target);

// The question for such tables, answered Yes (by name), No (by position) or Cancel: it lists
// "c: column 3 -> column 1" for each column that moves, at most ten, and how many more there are.
QString ByNameAppendQuestion(const MSSQL::TableFacts& source, const MSSQL::TableFacts& target);

}  // namespace append
