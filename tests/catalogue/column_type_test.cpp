#include "catalogue/column_type.h"

#include <gtest/gtest.h>

#include "catalogue/table_definition.h"
#include "support/qt_printers.h"

namespace {

struct Sized {
  const char* type;
  std::optional<qint64> maxLength;
  std::optional<int> precision;
  std::optional<int> scale;
  std::optional<int> fractionalSeconds;
  const char* written;
};

class SizedTypeTest : public ::testing::TestWithParam<Sized> {};

TEST_P(SizedTypeTest, WritesTheTypeWithItsSize) {
  const Sized& sized = GetParam();
  MSSQL::ColumnDefinition column;
  column.type = QString::fromUtf8(sized.type);
  column.maxLength = sized.maxLength;
  column.precision = sized.precision;
  column.scale = sized.scale;
  column.fractionalSeconds = sized.fractionalSeconds;
  EXPECT_EQ(MSSQL::SizedType(column), QString::fromUtf8(sized.written));
}

INSTANTIATE_TEST_SUITE_P(Types, SizedTypeTest,
                         ::testing::Values(Sized{"nvarchar", 40, {}, {}, {}, "nvarchar(40)"},
                                           Sized{"varbinary", -1, {}, {}, {}, "varbinary(max)"},
                                           Sized{"decimal", {}, 10, 3, {}, "decimal(10, 3)"},
                                           Sized{"numeric", {}, 5, {}, {}, "numeric(5, 0)"},
                                           Sized{"datetime2", {}, {}, {}, 3, "datetime2(3)"},
                                           Sized{"float", {}, 24, {}, {}, "float(24)"},
                                           Sized{"float", {}, 53, {}, {}, "float"},
                                           Sized{"int", 4, 10, 0, {}, "int"},
                                           Sized{"odd type", {}, {}, {}, {}, "[odd type]"}));

// The bare table of a one-table append keeps a rowversion's eight bytes as binary(8).
TEST(CreateTableStatement, KeepsARowversionAsItsBytes) {
  MSSQL::TableDefinition definition;
  MSSQL::ColumnDefinition stamp;
  stamp.name = QStringLiteral("Rv");
  stamp.type = QStringLiteral("timestamp");
  stamp.nullable = false;
  definition.columns.push_back(stamp);
  EXPECT_EQ(MSSQL::CreateTableStatement(MSSQL::TableName("T"), definition, QString()),
            QStringLiteral("CREATE TABLE [T] ([Rv] binary(8) NOT NULL)"));
}

}  // namespace
