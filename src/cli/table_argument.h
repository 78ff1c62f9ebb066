#pragma once

// A table as people type it on the command line: "Orders", "sales.Regions", the bracketed
// forms "[sales].[Regions]" and "[a.b]" (a name that holds a dot), and "]]" for a "]" inside
// brackets.

#include <QString>
#include <optional>

#include "catalogue/table_name.h"

namespace cli {

// The schema (empty when none was typed) and the name; the empty optional when the text names
// no table: an empty part, a bracket left open, text after a closing bracket, or more than two
// parts.
std::optional<MSSQL::TableName> ParseTableArgument(const QString& text);

// The usage error for a text that ParseTableArgument refused.
QString NotATableName(const QString& text);

}  // namespace cli
