#pragma once

// Reads one field of the current row, whole, in the form chosen from the column's SQL type.

#include <sql.h>

#include "platform/adodb.h"
#include "platform/odbc_error.h"

namespace adodb::odbc {

enum class ValueForm { Text, Binary, Timestamp, Date, Time, Bit, Real, Double };

// Date and time types come as structures, bit as a number, floating point numbers as binary
// numbers (all written out here without the C library's locale); binary types as bytes; every
// other type as the driver's own wide-character text.
ValueForm FormOf(SQLSMALLINT sqlType);

// Reads column `column` (from 1) of the statement's current row, long values in pieces until
// the whole value is read. NULL gives Value::Null(). A refusal throws with the driver's text.
Value ReadValue(ValueForm form, SQLUSMALLINT column, const HandleChain& handles);

}  // namespace adodb::odbc
