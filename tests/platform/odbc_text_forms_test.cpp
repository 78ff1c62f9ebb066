// The text forms of the values the driver hands over as structures and binary numbers.

#include <gtest/gtest.h>

#include "platform/odbc/odbc_text_forms.h"

using namespace adodb::odbc;

namespace {
SQL_TIMESTAMP_STRUCT Stamp(SQLUINTEGER fraction) {
  return {2021, 3, 4, 13, 5, 0, fraction};
}
}  // namespace

TEST(OdbcTextForms, TimestampHasTAndAFractionOnlyWhenNotZero) {
  EXPECT_EQ(TimestampText(Stamp(0)), QStringLiteral("2021-03-04T13:05:00"));
  EXPECT_EQ(TimestampText(Stamp(500000000)), QStringLiteral("2021-03-04T13:05:00.500"));
  EXPECT_EQ(TimestampText(Stamp(120000000)), QStringLiteral("2021-03-04T13:05:00.120"));
  EXPECT_EQ(TimestampText(Stamp(123456789)), QStringLiteral("2021-03-04T13:05:00.123456789"));
  EXPECT_EQ(TimestampText(Stamp(123450000)), QStringLiteral("2021-03-04T13:05:00.12345"));
  EXPECT_EQ(TimestampText(Stamp(1000)), QStringLiteral("2021-03-04T13:05:00.000001"));
  EXPECT_EQ(TimestampText({33, 1, 2, 3, 4, 5, 0}), QStringLiteral("0033-01-02T03:04:05"));
}

TEST(OdbcTextForms, AnOffsetTimestampsYearHasFourDigits) {
  const auto padded = [](QString text) {
    PadYear(text);
    return text;
  };
  EXPECT_EQ(padded("1-01-01 00:00:00.0000000 +00:00"), "0001-01-01 00:00:00.0000000 +00:00");
  EXPECT_EQ(padded("999-12-31 00:00:00 -05:30"), "0999-12-31 00:00:00 -05:30");
  EXPECT_EQ(padded("2021-08-31 23:59:59.1234567 +02:00"), "2021-08-31 23:59:59.1234567 +02:00");
  EXPECT_EQ(padded(""), "");
}

TEST(OdbcTextForms, DatesAndTimesArePadded) {
  EXPECT_EQ(DateText({2021, 3, 4}), QStringLiteral("2021-03-04"));
  EXPECT_EQ(TimeText({13, 5, 0}), QStringLiteral("13:05:00"));
  EXPECT_EQ(TimeText({0, 0, 9}), QStringLiteral("00:00:09"));
}

TEST(OdbcTextForms, NumbersUseThePointAndTheShortestExactFormWithoutExponent) {
  EXPECT_EQ(DoubleText(1.5), QStringLiteral("1.5"));
  EXPECT_EQ(DoubleText(0.1), QStringLiteral("0.1"));
  EXPECT_EQ(DoubleText(-2.25), QStringLiteral("-2.25"));
  EXPECT_EQ(DoubleText(100), QStringLiteral("100"));
  // Round values in plain digits: int, decimal and money columns refuse an exponent.
  EXPECT_EQ(DoubleText(100000), QStringLiteral("100000"));
  EXPECT_EQ(DoubleText(1e20), QStringLiteral("100000000000000000000"));
  EXPECT_EQ(DoubleText(0.0001), QStringLiteral("0.0001"));
  EXPECT_EQ(DoubleText(-1e-7), QStringLiteral("-0.0000001"));
  EXPECT_EQ(DoubleText(1.7976931348623157e308).size(), 309);
  EXPECT_EQ(DoubleText(4.9e-324).size(), 326);
  EXPECT_EQ(RealText(1e6f), QStringLiteral("1000000"));
  EXPECT_EQ(RealText(1e-4f), QStringLiteral("0.0001"));
  EXPECT_EQ(DoubleText(0.30000000000000004), QStringLiteral("0.30000000000000004"));
  EXPECT_EQ(RealText(0.1f), QStringLiteral("0.1"));
  EXPECT_EQ(RealText(3.25f), QStringLiteral("3.25"));
  EXPECT_EQ(BitText(1), QStringLiteral("1"));
  EXPECT_EQ(BitText(0), QStringLiteral("0"));
}
