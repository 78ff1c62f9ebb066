#include "platform/odbc/odbc_text_forms.h"

#include <array>
#include <charconv>

namespace adodb::odbc {
namespace {

QString Padded(long value, int width) {
  return QStringLiteral("%1").arg(value, width, 10, QLatin1Char('0'));
}

// Nanoseconds as ".fff…": nine digits less their trailing zeros, at least three; empty for 0.
QString FractionText(SQLUINTEGER nanoseconds) {
  if (nanoseconds == 0) return {};
  QString digits = Padded(static_cast<long>(nanoseconds), 9);
  while (digits.size() > 3 && digits.endsWith(QLatin1Char('0'))) digits.chop(1);
  return QLatin1Char('.') + digits;
}

// Plain decimal digits, never an exponent: int, decimal and money columns refuse '1e+05'. The
// longest such text of a double (its smallest subnormal) has about 330 characters.
template <typename Number>
QString ShortestText(Number value) {
  std::array<char, 400> text{};
  const std::to_chars_result written =
      std::to_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
  return QString::fromLatin1(text.data(), written.ptr - text.data());
}

}  // namespace

QString TimestampText(const SQL_TIMESTAMP_STRUCT& value) {
  const SQL_DATE_STRUCT date{value.year, value.month, value.day};
  const SQL_TIME_STRUCT time{value.hour, value.minute, value.second};
  return DateText(date) + QLatin1Char('T') + TimeText(time) + FractionText(value.fraction);
}

void PadYear(QString& timestampOffset) {
  qsizetype digits = 0;
  while (digits < timestampOffset.size() && timestampOffset[digits].isDigit()) ++digits;
  if (digits == 0 || digits >= 4 || digits == timestampOffset.size() ||
      timestampOffset[digits] != QLatin1Char('-'))
    return;
  timestampOffset.prepend(QString(4 - digits, QLatin1Char('0')));
}

QString DateText(const SQL_DATE_STRUCT& value) {
  return Padded(value.year, 4) + QLatin1Char('-') + Padded(value.month, 2) + QLatin1Char('-') +
         Padded(value.day, 2);
}

QString TimeText(const SQL_TIME_STRUCT& value) {
  return Padded(value.hour, 2) + QLatin1Char(':') + Padded(value.minute, 2) + QLatin1Char(':') +
         Padded(value.second, 2);
}

QString DoubleText(double value) {
  return ShortestText(value);
}

QString RealText(float value) {
  return ShortestText(value);
}

QString BitText(unsigned char value) {
  return value ? QStringLiteral("1") : QStringLiteral("0");
}

}  // namespace adodb::odbc
