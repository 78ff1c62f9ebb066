#include <gtest/gtest.h>

#include "join/join_statements.h"
#include "support/qt_printers.h"

TEST(JoinStatements, PlainNamesGiveTheStatementsAsTheServerKnowsThem) {
  EXPECT_EQ(join_statements::DropIfExists("s_t1"),
            "if exists (select * from sysobjects where id = object_id(N'[s_t1]') and "
            "OBJECTPROPERTY(id, N'IsUserTable') = 1) drop table [s_t1];");
  EXPECT_EQ(join_statements::SelectList({"ID", "Name"}, {"ID_A", "Name"}),
            "[ID] AS [ID_A],[Name] AS [Name]");
  EXPECT_EQ(join_statements::Join("Joined", "ID", "CustomerID"),
            "SELECT * INTO [Joined] FROM s_t1 LEFT JOIN s_t2 ON s_t1.ID=s_t2.CustomerID UNION ALL "
            "SELECT * FROM s_t1 RIGHT JOIN s_t2 ON s_t1.ID = s_t2.CustomerID WHERE s_t1.ID Is "
            "Null");
}

TEST(JoinStatements, BracketsAndQuotesInNamesAreEscaped) {
  EXPECT_EQ(join_statements::DropIfExists("O'Brien]s"),
            "if exists (select * from sysobjects where id = object_id(N'[O''Brien]]s]') and "
            "OBJECTPROPERTY(id, N'IsUserTable') = 1) drop table [O'Brien]]s];");
  EXPECT_EQ(join_statements::SelectList({"a]b"}, {"a]b"}), "[a]]b] AS [a]]b]");
  EXPECT_EQ(join_statements::StagingCopy("[x] AS [x]", "s_t2", "T]1"),
            "SELECT [x] AS [x] INTO s_t2 FROM [T]]1]");
}

TEST(JoinStatements, JoinColumnsAreBracketedOnlyWhenTheyMustBe) {
  for (const char* bare : {"ID", "Customer_ID", "_x", "Key1", "a_1_B"}) {
    EXPECT_EQ(join_statements::JoinColumn(bare), bare);
  }
  EXPECT_EQ(join_statements::JoinColumn("Order Date"), "[Order Date]");
  EXPECT_EQ(join_statements::JoinColumn("1st"), "[1st]");
  EXPECT_EQ(join_statements::JoinColumn("$x"), "[$x]");
  EXPECT_EQ(join_statements::JoinColumn("order"), "[order]");
  EXPECT_EQ(join_statements::JoinColumn("Key"), "[Key]");
  EXPECT_EQ(join_statements::JoinColumn("a-b"), "[a-b]");
  EXPECT_EQ(join_statements::JoinColumn("x]y"), "[x]]y]");
  // A leading '@' or '#' makes a variable or a temporary table of a bare name, and the server
  // reads other scripts' letters and digits only in brackets.
  EXPECT_EQ(join_statements::JoinColumn("@v"), "[@v]");
  EXPECT_EQ(join_statements::JoinColumn("#t"), "[#t]");
  EXPECT_EQ(join_statements::JoinColumn("a$"), "[a$]");
  EXPECT_EQ(join_statements::JoinColumn(QString::fromUtf8("Größe")), QString::fromUtf8("[Größe]"));
  EXPECT_EQ(join_statements::JoinColumn(QString::fromUtf8("k١")), QString::fromUtf8("[k١]"));
}

TEST(JoinStatements, ASourceOfAnotherSchemaIsNamedWithIt) {
  EXPECT_EQ(join_statements::StagingCopy("[x] AS [x]", "s_t1", MSSQL::TableName("sales", "T]1")),
            "SELECT [x] AS [x] INTO s_t1 FROM [sales].[T]]1]");
  EXPECT_EQ(MSSQL::TableName("sales", "T").Display(), "sales.T");
  EXPECT_EQ(MSSQL::TableName("T").Display(), "T");
}
