#include "platform/odbc/odbc_values.h"

#include "platform/odbc/odbc_api.h"

#include <array>
#include <optional>
#include <vector>

#include "platform/odbc/odbc_text_forms.h"

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

void SetText(Value& value, const SQLWCHAR* units, qsizetype count) {
  static_assert(sizeof(SQLWCHAR) == sizeof(char16_t));
  value.SetUtf16Text(units, count);
}

void SetBinary(Value& value, const char* bytes, qsizetype count) {
  value.SetBytes(bytes, count);
}

// A value of any length, read piece by piece and given to `set` as its units; NULL makes
// `value` NULL. Text pieces end in a zero unit that is not part of the value. Most values fit
// the small first piece and are set from it directly; a longer one continues in larger pieces.
template <typename Unit, typename Set>
void ReadPieces(Value& into, SQLSMALLINT cType, bool terminated, SQLUSMALLINT column,
                const HandleChain& handles, Set set) {
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
    if (result == SQL_NO_DATA) return set(into, value.data(), qsizetype(value.size()));
    Check(result, "SQLGetData", handles);
    if (indicator == SQL_NULL_DATA) return into.SetNull();
    // The length still to come, or -1 when the driver cannot tell (SQL_NO_TOTAL).
    const SQLLEN remaining = indicator < 0 ? -1 : indicator / SQLLEN(sizeof(Unit));
    const bool more = remaining < 0 || remaining > room;
    const SQLLEN units = more ? room : remaining;
    if (!more && value.empty()) return set(into, piece, qsizetype(units));
    value.insert(value.end(), piece, piece + units);
    if (!more) return set(into, value.data(), qsizetype(value.size()));
    if (larger.empty()) {
      larger.resize(4096);
      piece = larger.data();
      capacity = static_cast<SQLLEN>(larger.size());
    }
  }
}

template <typename Fixed, typename Format>
void ReadFormatted(Value& into, SQLSMALLINT cType, Format format, SQLUSMALLINT column,
                   const HandleChain& handles) {
  const std::optional<Fixed> value = ReadFixed<Fixed>(cType, column, handles);
  if (!value) return into.SetNull();
  into.SetText(format(*value));
}

}  // namespace

ValueForm FormOf(SQLSMALLINT sqlType) {
  switch (sqlType) {
    case SQL_TYPE_TIMESTAMP:
    case SQL_TIMESTAMP:
      return ValueForm::Timestamp;
    case kSqlSsTimestampOffset:
      return ValueForm::TimestampOffset;
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

void ReadValue(Value& value, ValueForm form, SQLUSMALLINT column, const HandleChain& handles) {
  switch (form) {
    case ValueForm::Binary:
      return ReadPieces<char>(value, SQL_C_BINARY, false, column, handles, SetBinary);
    case ValueForm::Timestamp:
      return ReadFormatted<SQL_TIMESTAMP_STRUCT>(value, SQL_C_TYPE_TIMESTAMP, TimestampText, column,
                                                 handles);
    case ValueForm::TimestampOffset:
      ReadPieces<SQLWCHAR>(value, SQL_C_WCHAR, true, column, handles, SetText);
      if (!value.IsNull()) PadYear(value.text);
      return;
    case ValueForm::Date:
      return ReadFormatted<SQL_DATE_STRUCT>(value, SQL_C_TYPE_DATE, DateText, column, handles);
    case ValueForm::Time:
      return ReadFormatted<SQL_TIME_STRUCT>(value, SQL_C_TYPE_TIME, TimeText, column, handles);
    case ValueForm::Bit:
      return ReadFormatted<unsigned char>(value, SQL_C_BIT, BitText, column, handles);
    case ValueForm::Real:
      return ReadFormatted<float>(value, SQL_C_FLOAT, RealText, column, handles);
    case ValueForm::Double:
      return ReadFormatted<double>(value, SQL_C_DOUBLE, DoubleText, column, handles);
    case ValueForm::Text:
      break;
  }
  ReadPieces<SQLWCHAR>(value, SQL_C_WCHAR, true, column, handles, SetText);
}

}  // namespace adodb::odbc
