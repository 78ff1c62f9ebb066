#pragma once

// The look before a positional append: the columns of source and target face each other by
// position, and the pairs that differ in name (letter case aside) or in kind (text, number,
// date and time, binary, other) are put to the user before any row is written.

#include <QString>
#include <QStringList>

#include "catalogue/column_facts.h"

namespace append {

// The kind a catalogue type belongs to: "text", "number", "date and time", "binary" or "other".
QString KindOf(const QString& type);

// "3: Total (decimal) -> Placed (datetime)" for each facing pair that differs, in column order;
// target columns the server fills itself take no value and are left out with their source.
QStringList DifferingPairs(const MSSQL::TableFacts& source, const MSSQL::TableFacts& target);

// The question for those pairs: at most ten are listed, and how many more there are.
QString PositionalAppendQuestion(const QStringList& pairs);

}  // namespace append
