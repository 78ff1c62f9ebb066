#pragma once

// A schema of every kind of object a copy makes again, for the live tests: two schemas, an
// alias type, an identity with seed and increment, a persisted computed column, a rowversion,
// a composite named key, a unique constraint, a filtered index, an index with a descending key
// and included columns, checks, defaults, a cascading foreign key and a self-reference, an empty
// table and two triggers (one disabled); names in mixed case, unique to the run.

#include <QRegularExpression>
#include <QStringList>
#include <QUuid>
#include <vector>

#include "catalogue/table_name.h"
#include "support/live_append.h"

using MSSQL::TableName;

// The names of one run, unique to it.
struct Names {
  QString tag = QUuid::createUuid().toString(QUuid::Id128).left(8);
  QString schema = "OmbWhole_" + tag;
  TableName aliasType{schema, "Code_" + tag};
  TableName customers{schema, "Cust_" + tag};
  TableName orders{"dbo", "Ord_" + tag};
  TableName empty{"dbo", "Empty_" + tag};
};

// `rowversion`: the customers have a rowversion column.
inline QStringList SourceStatements(const Names& n, bool rowversion = true) {
  const QString t = n.tag;
  const QString cust = n.customers.Bracketed();
  const QString ord = n.orders.Bracketed();
  return {
      "CREATE SCHEMA [" + n.schema + "]",
      "CREATE TYPE " + n.aliasType.Bracketed() + " FROM nvarchar(12) NOT NULL",
      "CREATE TABLE " + cust + " (CustId int IDENTITY(100, 5) NOT NULL, Region char(2) NOT NULL, " +
          "Code " + n.aliasType.Bracketed() + " NOT NULL, " +
          "Name nvarchar(40) COLLATE SQL_Latin1_General_CP1_CS_AS NULL, " +
          "Total AS (CustId * 2) PERSISTED, " + (rowversion ? "Rv rowversion, " : "") +
          "Price decimal(10, 3) NULL CONSTRAINT DF_Cust_Price_" + t + " DEFAULT (0), " +
          "Kind varchar(10) NOT NULL CONSTRAINT DF_Cust_Kind_" + t + " DEFAULT ('new'), " +
          "CONSTRAINT PK_Cust_" + t + " PRIMARY KEY NONCLUSTERED (Region, CustId), " +
          "CONSTRAINT UQ_Cust_Code_" + t + " UNIQUE (Code), " + "CONSTRAINT CK_Cust_Price_" + t +
          " CHECK (Price >= 0))",
      "CREATE INDEX IX_Cust_Name_" + t + " ON " + cust + " (Name) WHERE Name IS NOT NULL",
      "CREATE INDEX IX_Cust_Kind_" + t + " ON " + cust + " (Kind DESC, Region) INCLUDE (Price)",
      "CREATE TABLE " + ord + " (OrdId int NOT NULL CONSTRAINT PK_Ord_" + t +
          " PRIMARY KEY, Region char(2) NOT NULL, CustId int NOT NULL, Up int NULL, " +
          "Amount money NULL, CONSTRAINT FK_Ord_Cust_" + t +
          " FOREIGN KEY (Region, CustId) REFERENCES " + cust +
          " (Region, CustId) ON DELETE CASCADE, CONSTRAINT FK_Ord_Up_" + t +
          " FOREIGN KEY (Up) REFERENCES " + ord + " (OrdId), CONSTRAINT CK_Ord_Amount_" + t +
          " CHECK (Amount > 0))",
      "CREATE TABLE " + n.empty.Bracketed() +
          " (Id int NOT NULL, Note nvarchar(max) NULL, At datetime2(3) NULL)",
      "CREATE TRIGGER dbo.TR_Ord_Stamp_" + t + " ON " + ord +
          " AFTER INSERT AS BEGIN SET NOCOUNT ON; END",
      "CREATE TRIGGER dbo.TR_Ord_Off_" + t + " ON " + ord +
          " AFTER DELETE AS BEGIN SET NOCOUNT ON; END",
      "DISABLE TRIGGER dbo.TR_Ord_Off_" + t + " ON " + ord,
  };
}

// Every table, parents first.
inline std::vector<TableName> Tables(const Names& n) {
  return {n.customers, n.orders, n.empty};
}

// The columns whose values a copy keeps: all but the rowversion, which the server gives anew.
inline QString KeptColumns(const Names& n, const TableName& table) {
  return table == n.customers ? QStringLiteral("CustId, Region, Code, Name, Total, Price, Kind")
                              : QStringLiteral("*");
}

// Rows of every table but the empty one; an order whose parent order comes after it.
inline QStringList RowStatements(const Names& n) {
  return {
      "INSERT INTO " + n.customers.Bracketed() +
          " (Region, Code, Name, Price, Kind) VALUES ('NO', N'c1', N'Ann', 1.5, 'old'), "
          "('NO', N'c2', NULL, 0, 'new'), ('SO', N'c3', N'Bo', NULL, 'new')",
      "INSERT INTO " + n.orders.Bracketed() +
          " (OrdId, Region, CustId, Up, Amount) VALUES (1, 'NO', 100, NULL, 10), "
          "(2, 'NO', 105, 3, 20), (3, 'SO', 110, 1, NULL)",
  };
}

// A connection on which the test server takes what SQL Server takes as it stands: rowversion
// columns. SQL Server has no such switch.
inline void AsSqlServer(adodb::Connection& connection, const QString& scope = {}) {
  for (const char* hatch : {"escape_hatch_rowversion"}) {
    connection.ExecuteNoRecords(QStringLiteral("IF CAST(SERVERPROPERTY('Babelfish') AS int) = 1 "
                                               "EXEC sp_babelfish_configure '%1', 'ignore'%2")
                                    .arg(QString::fromLatin1(hatch), scope));
  }
}

inline std::unique_ptr<adodb::Connection> ConnectAsSqlServer(const ConnectionProfile& profile) {
  std::unique_ptr<adodb::Connection> connection = Connect(profile);
  AsSqlServer(*connection);
  return connection;
}

// Whether the server is the test server, whose own sessions make a rowversion column only when
// a switch of the session says so: the program's sessions do not.
inline bool MakesNoRowversion(adodb::Connection& connection) {
  const std::unique_ptr<adodb::Recordset> row =
      connection.Execute(QStringLiteral("SELECT CAST(SERVERPROPERTY('Babelfish') AS int)"));
  return !row->Eof() && row->FieldValue(0).text.trimmed() == QLatin1String("1");
}

// The lines as both servers can show them alike: letter case aside (the test server gives
// names in lower case), an index's name without what the test server adds to it (the table's
// name and a hash, cut to 63 characters), a default without the name the test server gives it in
// place of the one it was given.
inline QStringList Comparable(QStringList lines, const Names& n) {
  static const QRegularExpression kGeneratedDefault(QStringLiteral("df_[a-z0-9_]+_[0-9]+"));
  const QRegularExpression hashed("(ix_[a-z_]+?_" + n.tag.toLower() + ")[0-9a-z_]*");
  for (QString& line : lines) {
    line = line.toLower();
    line.replace(hashed, QStringLiteral("\\1"));
    line.replace(kGeneratedDefault, QStringLiteral("df_(generated)"));
  }
  lines.sort();
  return lines;
}

// The statements of a dry run's script: the text between lines "GO", its comments left out.
inline QStringList DryRunScript(const QString& out) {
  QStringList statements;
  QStringList lines;
  for (const QString& line : out.split(u'\n')) {
    if (line == QLatin1String("GO")) {
      statements << lines.join(u'\n');
      lines.clear();
    } else if (!(lines.isEmpty() && (line.startsWith(QLatin1String("--")) || line.isEmpty()))) {
      lines << line;
    }
  }
  return statements;
}

// What drops every table, the alias type and the schema of `n`, children first; each stands
// alone and does nothing where there is nothing to drop.
inline QStringList DropStatements(const Names& n) {
  QStringList drops;
  for (const TableName& table : {n.orders, n.empty, n.customers}) {
    drops << QStringLiteral("IF OBJECT_ID(N'%1') IS NOT NULL DROP TABLE %1").arg(table.Bracketed());
  }
  drops << QStringLiteral("IF TYPE_ID(N'%1') IS NOT NULL DROP TYPE %1").arg(n.aliasType.Bracketed())
        << QStringLiteral("IF SCHEMA_ID(N'%1') IS NOT NULL DROP SCHEMA [%1]").arg(n.schema);
  return drops;
}
