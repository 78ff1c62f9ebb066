#pragma once

// Reads one field of the current row, whole, in the form chosen from the column's SQL type.

#include "platform/odbc/odbc_api.h"

#include "platform/odbc/adodb.h"
#include "platform/odbc/odbc_error.h"

namespace adodb::odbc {

enum class ValueForm { Text, Binary, Timestamp, TimestampOffset, Date, Time, Bit, Real, Double };

// Date and time types come as structures, bit as a number, floating point numbers as binary
// numbers (all written out here without the C library's locale); binary types as bytes; every
// other type as the driver's own wide-character text.
ValueForm FormOf(SQLSMALLINT sqlType);

// Reads column `column` (from 1) of the statement's current row into `value`, long values in
// pieces until the whole value is read; NULL makes it Value::Null(). Text comes unit for unit as
// the driver gives it. The value's text or bytes keep their storage for the new value when it is
// theirs alone and large enough: a result read row by row into the same values allocates little
// after its first rows. A refusal throws with the driver's text.
void ReadValue(Value& value, ValueForm form, SQLUSMALLINT column, const HandleChain& handles);

}  // namespace adodb::odbc
