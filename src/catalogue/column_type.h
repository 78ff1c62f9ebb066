#pragma once

// A column's type as a statement writes it: the type's name with its size (lengths or max,
// precision and scale, fractional seconds), and the test of a name that needs no brackets.

#include <QString>

#include "catalogue/table_definition.h"

namespace MSSQL {

// True when `name` is a plain identifier: a letter or "_", then letters, digits or "_".
bool PlainName(const QString& name);

// The column's type with its size, as CREATE TABLE and CREATE TYPE write it: "nvarchar(40)",
// "varbinary(max)", "decimal(10, 3)", "datetime2(3)"; a type without a size bare, and a type
// name that is not plain bracketed.
QString SizedType(const ColumnDefinition& column);

}  // namespace MSSQL
