#pragma once

// The locale-independent text forms of values the driver hands over as structures or binary
// numbers: ISO 8601 dates and times ('T' between date and time), '.' as the decimal mark.

#include "platform/odbc/odbc_api.h"

#include <QString>

namespace adodb::odbc {

// 2021-03-04T13:05:00, with the fraction only when it is not zero: its trailing zeros are
// dropped, but at least three digits stay (2021-03-04T13:05:00.500).
QString TimestampText(const SQL_TIMESTAMP_STRUCT& value);

// SQL Server's datetimeoffset, which the driver hands over only as its own text, writing the
// year without its leading zeros ("1-01-01 00:00:00.0000000 +00:00"): the server would read that
// back as 2001. The year is padded to four digits; the rest stays as the driver wrote it.
inline constexpr SQLSMALLINT kSqlSsTimestampOffset = -155;
void PadYear(QString& timestampOffset);
QString DateText(const SQL_DATE_STRUCT& value);
QString TimeText(const SQL_TIME_STRUCT& value);
// The shortest text in plain decimal digits that reads back as the same number (1.5, 0.1,
// 100000, 0.0001).
QString DoubleText(double value);
QString RealText(float value);
QString BitText(unsigned char value);

}  // namespace adodb::odbc
