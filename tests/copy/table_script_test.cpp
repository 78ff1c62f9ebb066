#include "copy/table_script.h"

#include <gtest/gtest.h>

#include "support/qt_printers.h"

namespace {

using copy::TableScript;
using copy::WholeIndex;
using MSSQL::TableName;

MSSQL::ColumnDefinition Column(const char* name, const char* type, bool nullable) {
  MSSQL::ColumnDefinition column;
  column.name = QString::fromUtf8(name);
  column.type = QString::fromUtf8(type);
  column.nullable = nullable;
  return column;
}

copy::WholeColumn Stored(MSSQL::ColumnDefinition definition) {
  copy::WholeColumn column;
  column.column = std::move(definition);
  return column;
}

copy::WholeColumn Computed(const char* name, const char* definition, bool persisted) {
  copy::WholeColumn column = Stored(Column(name, "int", !persisted));
  column.computed = QString::fromUtf8(definition);
  column.persisted = persisted;
  return column;
}

std::vector<copy::WholeColumn> Columns() {
  copy::WholeColumn id = Stored(Column("Line]Id", "int", false));
  id.column.identity = true;
  id.identitySeed = QStringLiteral("100");
  id.identityIncrement = QStringLiteral("5");
  MSSQL::ColumnDefinition region = Column("Region", "char", false);
  region.maxLength = 2;
  region.collation = QStringLiteral("Latin1_General_CS_AS");
  MSSQL::ColumnDefinition name = Column("Name", "nvarchar", true);
  name.maxLength = 40;
  name.collation = QStringLiteral("SQL_Latin1_General_CP1_CI_AS");
  copy::WholeColumn code = Stored(Column("Code", "nvarchar", true));
  code.aliasType = TableName(QStringLiteral("Sa]les"), QStringLiteral("Code"));
  code.column.collation = QStringLiteral("Latin1_General_CS_AS");
  MSSQL::ColumnDefinition price = Column("Price", "decimal", true);
  price.precision = 10;
  price.scale = 3;
  return {id,
          Stored(region),
          Stored(name),
          code,
          Computed("Total", "[Line]]Id]*(2)", true),
          Computed("Half", "[Line]]Id]/(2)", false),
          Stored(Column("Rv", "timestamp", false)),
          Stored(price),
          Stored(Column("Parent", "int", true))};
}

WholeIndex Index(WholeIndex::Kind kind, const char* name, const char* type, bool unique,
                 std::vector<copy::IndexKey> keys) {
  WholeIndex index;
  index.kind = kind;
  index.name = QString::fromUtf8(name);
  index.typeDescription = QString::fromUtf8(type);
  index.clustered = index.typeDescription == QLatin1String("CLUSTERED");
  index.unique = unique;
  index.keys = std::move(keys);
  return index;
}

std::vector<copy::WholeIndex> Indexes() {
  WholeIndex byName = Index(WholeIndex::Kind::Index, "IX_Name", "NONCLUSTERED", false,
                            {{"Name", true}, {"Region", false}});
  byName.included << QStringLiteral("Price");
  byName.filter = QStringLiteral("([Name] IS NOT NULL)");
  return {
      Index(WholeIndex::Kind::PrimaryKey, "PK_Line", "NONCLUSTERED", true,
            {{"Region", false}, {"Line]Id", true}}),
      Index(WholeIndex::Kind::UniqueConstraint, "UQ_Code", "CLUSTERED", true, {{"Code", false}}),
      byName, Index(WholeIndex::Kind::Other, "XI_Doc", "XML", false, {{"Name", false}})};
}

std::vector<copy::WholeForeignKey> ForeignKeys() {
  return {{"FK_Cust",
           {"Region", "Parent"},
           TableName("sales", "Cust"),
           {"Region", "CustId"},
           "CASCADE",
           "NO ACTION"},
          {"FK_Parent",
           {"Parent"},
           TableName("sa]LES", "orderline"),
           {"Line]Id"},
           "NO ACTION",
           "SET NULL"},
          {"FK_Gone", {"Parent"}, TableName("other", "Gone"), {"Id"}, "NO ACTION", "NO ACTION"}};
}

// A table with one of every kind of object a copy makes, named with "]" and in mixed case.
copy::WholeTable OrderLines() {
  copy::WholeTable table;
  table.name = TableName(QStringLiteral("Sa]les"), QStringLiteral("OrderLine"));
  table.columns = Columns();
  MSSQL::ColumnDefinition codeBase = Column("", "nvarchar", false);
  codeBase.maxLength = 12;
  table.aliasTypes = {{TableName(QStringLiteral("Sa]les"), QStringLiteral("Code")), codeBase}};
  table.indexes = Indexes();
  table.checks = {{"CK_Price", "[Price]>=(0)"}};
  table.defaults = {{"DF_Price", "Price", "(0)"}};
  table.foreignKeys = ForeignKeys();
  table.triggers = {{"TR_Audit",
                     "CREATE TRIGGER [Sa]]les].[TR_Audit] ON [Sa]]les].[OrderLine] AFTER INSERT AS "
                     "SET NOCOUNT ON",
                     false},
                    {"TR_Off",
                     "CREATE TRIGGER [Sa]]les].[TR_Off] ON [Sa]]les].[OrderLine] AFTER DELETE AS "
                     "SET NOCOUNT ON",
                     true}};
  return table;
}

const QString kCollation = QStringLiteral("SQL_Latin1_General_CP1_CI_AS");
const TableName kSameName(QStringLiteral("Sa]les"), QStringLiteral("OrderLine"));
const TableName kNewName(QStringLiteral("dbo"), QStringLiteral("New]Lines"));

TableScript ScriptAs(const TableName& target) {
  return copy::ScriptOf(OrderLines(), target, kCollation, [](const TableName& table) {
    return table.name.compare(QLatin1String("Gone"), Qt::CaseInsensitive) != 0;
  });
}

struct Expected {
  const char* what;
  TableName target;
  QStringList TableScript::*list;
  QString statement;
  bool present;
};

class ScriptOfTest : public ::testing::TestWithParam<Expected> {};

TEST_P(ScriptOfTest, HoldsTheStatementWhereItBelongs) {
  const Expected& expected = GetParam();
  const TableScript script = ScriptAs(expected.target);
  EXPECT_EQ((script.*expected.list).contains(expected.statement), expected.present)
      << expected.what << "\n  make: " << ::testing::PrintToString(script.make)
      << "\n  after rows: " << ::testing::PrintToString(script.afterRows)
      << "\n  foreign keys: " << ::testing::PrintToString(script.foreignKeys)
      << "\n  triggers: " << ::testing::PrintToString(script.triggers)
      << "\n  left out: " << ::testing::PrintToString(script.leftOut);
}

const QString kCreateTable = QStringLiteral(
    "CREATE TABLE %1 ([Line]]Id] int IDENTITY(100, 5) NOT NULL, "
    "[Region] char(2) COLLATE Latin1_General_CS_AS NOT NULL, [Name] nvarchar(40) NULL, "
    "[Code] [Sa]]les].[Code] NULL, [Total] AS ([Line]]Id]*(2)) PERSISTED NOT NULL, "
    "[Half] AS ([Line]]Id]/(2)), [Rv] rowversion NOT NULL, [Price] decimal(10, 3) NULL, "
    "[Parent] int NULL, "
    "CONSTRAINT [PK_Line] PRIMARY KEY NONCLUSTERED ([Region] ASC, [Line]]Id] DESC), "
    "CONSTRAINT [UQ_Code] UNIQUE CLUSTERED ([Code] ASC))");

INSTANTIATE_TEST_SUITE_P(
    Cases, ScriptOfTest,
    ::testing::Values(
        Expected{"the schema, guarded", kSameName, &TableScript::make,
                 "IF SCHEMA_ID(N'Sa]les') IS NULL EXEC(N'CREATE SCHEMA [Sa]]les]')", true},
        Expected{"no schema statement for dbo", kNewName, &TableScript::make,
                 "IF SCHEMA_ID(N'dbo') IS NULL EXEC(N'CREATE SCHEMA [dbo]')", false},
        Expected{"the alias type's schema for a target elsewhere", kNewName, &TableScript::make,
                 "IF SCHEMA_ID(N'Sa]les') IS NULL EXEC(N'CREATE SCHEMA [Sa]]les]')", true},
        Expected{"the alias type, guarded", kSameName, &TableScript::make,
                 "IF TYPE_ID(N'[Sa]]les].[Code]') IS NULL EXEC(N'CREATE TYPE [Sa]]les].[Code] "
                 "FROM nvarchar(12) NOT NULL')",
                 true},
        Expected{"the table with columns, identity, computed, keys", kSameName, &TableScript::make,
                 kCreateTable.arg("[Sa]]les].[OrderLine]"), true},
        Expected{"the table named as the target", kNewName, &TableScript::make,
                 kCreateTable.arg("[dbo].[New]]Lines]"), true},
        Expected{"the index with a descending key, included columns and a filter", kSameName,
                 &TableScript::afterRows,
                 "CREATE NONCLUSTERED INDEX [IX_Name] ON [Sa]]les].[OrderLine] ([Name] DESC, "
                 "[Region] ASC) INCLUDE ([Price]) WHERE (([Name] IS NOT NULL))",
                 true},
        Expected{"the check", kSameName, &TableScript::afterRows,
                 "ALTER TABLE [Sa]]les].[OrderLine] ADD CONSTRAINT [CK_Price] CHECK "
                 "([Price]>=(0))",
                 true},
        Expected{"the named default", kNewName, &TableScript::afterRows,
                 "ALTER TABLE [dbo].[New]]Lines] ADD CONSTRAINT [DF_Price] DEFAULT ((0)) FOR "
                 "[Price]",
                 true},
        Expected{"the foreign key with cascade", kSameName, &TableScript::foreignKeys,
                 "ALTER TABLE [Sa]]les].[OrderLine] ADD CONSTRAINT [FK_Cust] FOREIGN "
                 "KEY ([Region], [Parent]) REFERENCES [sales].[Cust] ([Region], [CustId]) ON "
                 "DELETE CASCADE ON UPDATE NO ACTION",
                 true},
        Expected{"the reference to itself, renamed with the target", kNewName,
                 &TableScript::foreignKeys,
                 "ALTER TABLE [dbo].[New]]Lines] ADD CONSTRAINT [FK_Parent] FOREIGN "
                 "KEY ([Parent]) REFERENCES [dbo].[New]]Lines] ([Line]]Id]) ON DELETE NO ACTION "
                 "ON UPDATE SET NULL",
                 true},
        Expected{"a foreign key outside the target, said", kSameName, &TableScript::leftOut,
                 "the foreign key FK_Gone references other.Gone, which is not in the target", true},
        Expected{"an index of another kind, said", kSameName, &TableScript::leftOut,
                 "the index XI_Doc (XML) is left out: only clustered and nonclustered indexes "
                 "are made",
                 true},
        Expected{"the disabled trigger disabled", kSameName, &TableScript::triggers,
                 "DISABLE TRIGGER [Sa]]les].[TR_Off] ON [Sa]]les].[OrderLine]", true},
        Expected{"the enabled trigger stays enabled", kSameName, &TableScript::triggers,
                 "DISABLE TRIGGER [Sa]]les].[TR_Audit] ON [Sa]]les].[OrderLine]", false},
        Expected{"a trigger of a renamed target, said", kNewName, &TableScript::leftOut,
                 "the trigger TR_Off is left out: its definition names Sa]les.OrderLine, and "
                 "the target is dbo.New]Lines",
                 true}));

TEST(ScriptOf, RunsEachPartInTheOrderItNeeds) {
  const TableScript script = ScriptAs(kSameName);
  ASSERT_EQ(script.make.size(), 3);
  EXPECT_TRUE(script.make[0].contains(QLatin1String("CREATE SCHEMA")));
  EXPECT_TRUE(script.make[1].contains(QLatin1String("CREATE TYPE")));
  EXPECT_TRUE(script.make[2].startsWith(QLatin1String("CREATE TABLE")));
  ASSERT_EQ(script.triggers.size(), 3);
  EXPECT_TRUE(script.triggers[1].contains(QLatin1String("[TR_Off] ON")));
  EXPECT_TRUE(script.triggers[2].startsWith(QLatin1String("DISABLE TRIGGER [Sa]]les].[TR_Off]")));
  EXPECT_EQ(script.foreignKeys.size(), 2);
  EXPECT_EQ(script.leftOut.size(), 2);
}

TEST(ScriptOf, ARenamedTargetGetsNoTrigger) {
  const TableScript script = ScriptAs(kNewName);
  EXPECT_TRUE(script.triggers.isEmpty()) << ::testing::PrintToString(script.triggers);
  EXPECT_EQ(script.leftOut.size(), 4) << ::testing::PrintToString(script.leftOut);
  // A target named without its schema may be another schema's table of the source's name.
  EXPECT_TRUE(ScriptAs(TableName(kSameName.name)).triggers.isEmpty());
}

TEST(ScriptOf, NamesNoStatementOfAnotherTable) {
  const TableScript script = ScriptAs(kNewName);
  for (const QStringList& part : {script.make, script.afterRows, script.foreignKeys}) {
    for (const QString& statement : part) {
      EXPECT_FALSE(statement.contains(QLatin1String("[OrderLine]"), Qt::CaseInsensitive))
          << statement.toStdString();
    }
  }
}

}  // namespace
