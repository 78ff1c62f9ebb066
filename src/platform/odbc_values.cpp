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

// A value of any length, read piece by piece and built by `make` from its units; NULL gives
// Value::Null(). Text pieces end in a zero unit that is not part of the value. Most values fit
// the small first piece and are built from it directly; a longer one continues in larger pieces.
template <typename Unit, typename Make>
Value ReadPieces(SQLSMALLINT cType, bool terminated, SQLUSMALLINT column,
                 const HandleChain& handles, Make make) {
  std::array<Unit, 256> first;  // written by the driver before it is read
  std::vector<Unit> larger;
  Unit* piece = first.data();
  SQLLEN capacity = static_cast<SQLLEN>(first.size());
  std::vector<Unit> value;
  for (;;) {
    const SQLLEN room = capacity - (terminated ? 1 : 0);
    SQLLEN indicator = 0;
    const SQLRETURN result = SQLGetData(handles.statement, column, cType, piece,
                                        capacity * SQLLEN(sizeof(Unit)), &indicator);
    if (result == SQL_NO_DATA) return make(value.data(), qsizetype(value.size()));
    Check(result, "SQLGetData", handles);
    if (indicator == SQL_NULL_DATA) return Value::Null();
    // The length still to come, or -1 when the driver cannot tell (SQL_NO_TOTAL).
    const SQLLEN remaining = indicator < 0 ? -1 : indicator / SQLLEN(sizeof(Unit));
    const bool more = remaining < 0 || remaining > room;
    const SQLLEN units = more ? room : remaining;
    if (!more && value.empty()) return make(piece, qsizetype(units));
    value.insert(value.end(), piece, piece + units);
    if (!more) return make(value.data(), qsizetype(value.size()));
    if (larger.empty()) {
      larger.resize(4096);
      piece = larger.data();
      capacity = static_cast<SQLLEN>(larger.size());
    }
  }
}

Value ReadText(SQLUSMALLINT column, const HandleChain& handles) {
  return ReadPieces<SQLWCHAR>(
      SQL_C_WCHAR, true, column, handles,
      [](const SQLWCHAR* units, qsizetype count) { return Value::Text(FromWide(units, count)); });
}

Value ReadBinary(SQLUSMALLINT column, const HandleChain& handles) {
  return ReadPieces<char>(
      SQL_C_BINARY, false, column, handles,
      [](const char* bytes, qsizetype count) { return Value::Binary(QByteArray(bytes, count)); });
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
