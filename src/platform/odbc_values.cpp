#include "platform/odbc_values.h"

#include <sqlext.h>
#include <sqlucode.h>

#include <array>
#include <optional>
#include <vector>

#include "platform/odbc_text_forms.h"
#include "platform/odbc_wide.h"

namespace adodb::odbc {
namespace {

// A value of fixed size; nullopt for NULL.
template <typename Fixed>
std::optional<Fixed> ReadFixed(SQLSMALLINT cType, SQLUSMALLINT column, const HandleChain& handles) {
  Fixed value{};
  SQLLEN indicator = 0;
  const SQLRETURN result =
      SQLGetData(handles.statement, column, cType, &value, sizeof value, &indicator);
  if (result == SQL_NO_DATA) return std::nullopt;
  Check(result, "SQLGetData", handles);
  if (indicator == SQL_NULL_DATA) return std::nullopt;
  return value;
}

// A value of any length, read piece by piece; nullopt for NULL. Text pieces end in a zero
// unit that is not part of the value.
template <typename Unit>
std::optional<std::vector<Unit>> ReadPieces(SQLSMALLINT cType, bool terminated, SQLUSMALLINT column,
                                            const HandleChain& handles) {
  std::array<Unit, 4096> piece{};
  const SQLLEN room = static_cast<SQLLEN>(piece.size()) - (terminated ? 1 : 0);
  std::vector<Unit> value;
  for (;;) {
    SQLLEN indicator = 0;
    const SQLRETURN result =
        SQLGetData(handles.statement, column, cType, piece.data(), sizeof piece, &indicator);
    if (result == SQL_NO_DATA) return value;
    Check(result, "SQLGetData", handles);
    if (indicator == SQL_NULL_DATA) return std::nullopt;
    // The length still to come, or -1 when the driver cannot tell (SQL_NO_TOTAL).
    const SQLLEN remaining = indicator < 0 ? -1 : indicator / SQLLEN(sizeof(Unit));
    const bool more = remaining < 0 || remaining > room;
    const SQLLEN units = more ? room : remaining;
    value.insert(value.end(), piece.begin(), piece.begin() + units);
    if (!more) return value;
  }
}

Value ReadText(SQLUSMALLINT column, const HandleChain& handles) {
  std::optional<std::vector<SQLWCHAR>> units =
      ReadPieces<SQLWCHAR>(SQL_C_WCHAR, true, column, handles);
  if (!units) return Value::Null();
  return Value::Text(FromWide(units->data(), qsizetype(units->size())));
}

Value ReadBinary(SQLUSMALLINT column, const HandleChain& handles) {
  std::optional<std::vector<char>> bytes = ReadPieces<char>(SQL_C_BINARY, false, column, handles);
  if (!bytes) return Value::Null();
  return Value::Binary(QByteArray(bytes->data(), qsizetype(bytes->size())));
}

template <typename Fixed, typename Format>
Value ReadFormatted(SQLSMALLINT cType, Format format, SQLUSMALLINT column,
                    const HandleChain& handles) {
  const std::optional<Fixed> value = ReadFixed<Fixed>(cType, column, handles);
  return value ? Value::Text(format(*value)) : Value::Null();
}

}  // namespace

ValueForm FormOf(SQLSMALLINT sqlType) {
  switch (sqlType) {
    case SQL_TYPE_TIMESTAMP:
    case SQL_TIMESTAMP:
      return ValueForm::Timestamp;
    case SQL_TYPE_DATE:
    case SQL_DATE:  // the ODBC 2 date, also the number of SQL_DATETIME
      return ValueForm::Date;
    case SQL_TYPE_TIME:
    case SQL_TIME:
      return ValueForm::Time;
    case SQL_BIT:
      return ValueForm::Bit;
    case SQL_REAL:
      return ValueForm::Real;
    case SQL_FLOAT:
    case SQL_DOUBLE:
      return ValueForm::Double;
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY:
      return ValueForm::Binary;
    default:
      return ValueForm::Text;
  }
}

Value ReadValue(ValueForm form, SQLUSMALLINT column, const HandleChain& handles) {
  switch (form) {
    case ValueForm::Binary:
      return ReadBinary(column, handles);
    case ValueForm::Timestamp:
      return ReadFormatted<SQL_TIMESTAMP_STRUCT>(SQL_C_TYPE_TIMESTAMP, TimestampText, column,
                                                 handles);
    case ValueForm::Date:
      return ReadFormatted<SQL_DATE_STRUCT>(SQL_C_TYPE_DATE, DateText, column, handles);
    case ValueForm::Time:
      return ReadFormatted<SQL_TIME_STRUCT>(SQL_C_TYPE_TIME, TimeText, column, handles);
    case ValueForm::Bit:
      return ReadFormatted<unsigned char>(SQL_C_BIT, BitText, column, handles);
    case ValueForm::Real:
      return ReadFormatted<float>(SQL_C_FLOAT, RealText, column, handles);
    case ValueForm::Double:
      return ReadFormatted<double>(SQL_C_DOUBLE, DoubleText, column, handles);
    case ValueForm::Text:
      break;
  }
  return ReadText(column, handles);
}

}  // namespace adodb::odbc
