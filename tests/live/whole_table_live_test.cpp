// Whole tables made again on a live SQL Server (see live_server.h): tables of every kind of
// object are read from Database #1 in a few statements, their scripts run in Database #2, and
// the two catalogues then describe the same tables.

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QUuid>

#include "catalogue/catalogue.h"
#include "copy/table_script.h"
#include "copy/whole_table.h"
#include "support/catalogue_snapshot.h"
#include "support/hooked_connection.h"
#include "support/live_append.h"
#include "support/qt_printers.h"

namespace {

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

QStringList SourceStatements(const Names& n) {
  const QString t = n.tag;
  const QString cust = n.customers.Bracketed();
  const QString ord = n.orders.Bracketed();
  return {
      "CREATE SCHEMA [" + n.schema + "]",
      "CREATE TYPE " + n.aliasType.Bracketed() + " FROM nvarchar(12) NOT NULL",
      "CREATE TABLE " + cust + " (CustId int IDENTITY(100, 5) NOT NULL, Region char(2) NOT NULL, " +
          "Code " + n.aliasType.Bracketed() + " NOT NULL, " +
          "Name nvarchar(40) COLLATE SQL_Latin1_General_CP1_CS_AS NULL, " +
          "Total AS (CustId * 2) PERSISTED, Rv rowversion, " +
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

// Everything the test makes in one database, dropped when the test ends, failed or not.
class DroppedAtEnd {
 public:
  DroppedAtEnd(ConnectionProfile profile, const Names& n) : profile_(std::move(profile)) {
    for (const TableName& table : {n.orders, n.empty, n.customers}) {
      drops_ << QStringLiteral("IF OBJECT_ID(%1) IS NOT NULL DROP TABLE %2")
                    .arg(MSSQL::NationalLiteral(table.Bracketed()), table.Bracketed());
    }
    drops_ << QStringLiteral("IF TYPE_ID(%1) IS NOT NULL DROP TYPE %2")
                  .arg(MSSQL::NationalLiteral(n.aliasType.Bracketed()), n.aliasType.Bracketed());
    drops_ << QStringLiteral("IF SCHEMA_ID(%1) IS NOT NULL DROP SCHEMA [%2]")
                  .arg(MSSQL::NationalLiteral(n.schema), n.schema);
  }
  ~DroppedAtEnd() {
    try {
      const std::unique_ptr<adodb::Connection> connection = Connect(profile_);
      for (const QString& drop : drops_) DropOne(*connection, drop);
    } catch (const adodb::Error& error) {
      ADD_FAILURE() << "could not connect to clean up: " << error.Description().toStdString();
    }
  }

 private:
  static void DropOne(adodb::Connection& connection, const QString& drop) {
    try {
      connection.ExecuteNoRecords(drop);
    } catch (const adodb::Error& error) {
      ADD_FAILURE() << drop.toStdString() << "\n  refused: " << error.Description().toStdString();
    }
  }

  ConnectionProfile profile_;
  QStringList drops_;
};

// A connection on which the test server takes what SQL Server takes as it stands: rowversion
// columns, and constraints added WITH CHECK. SQL Server has no such switches.
std::unique_ptr<adodb::Connection> ConnectAsSqlServer(const ConnectionProfile& profile) {
  std::unique_ptr<adodb::Connection> connection = Connect(profile);
  for (const char* hatch : {"escape_hatch_rowversion", "escape_hatch_nocheck_add_constraint"}) {
    connection->ExecuteNoRecords(QStringLiteral("IF CAST(SERVERPROPERTY('Babelfish') AS int) = 1 "
                                                "EXEC sp_babelfish_configure '%1', 'ignore'")
                                     .arg(QString::fromLatin1(hatch)));
  }
  return connection;
}

void RunAll(adodb::Connection& connection, const QStringList& statements) {
  for (const QString& statement : statements) {
    try {
      connection.ExecuteNoRecords(statement);
    } catch (const adodb::Error& error) {
      FAIL() << statement.toStdString() << "\n  refused: " << error.Description().toStdString();
    }
  }
}

// The lines as both servers can show them alike: letter case aside (the test server gives
// names in lower case), an index's name without what the test server adds to it (the table's
// name and a hash, cut to 63 characters), a default without the name the test server gives it in
// place of the one it was given.
QStringList Comparable(QStringList lines, const Names& n) {
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

// The lines of `lines` that `other` does not hold.
QStringList Missing(const QStringList& lines, const QStringList& other) {
  QStringList missing;
  for (const QString& line : lines) {
    if (!other.contains(line)) missing << line;
  }
  return missing;
}

// What the target's catalogue must show, one fragment of a line each, so that a snapshot that
// missed a kind of object cannot pass.
struct Shown {
  const char* what;
  QString fragment;
};

std::vector<Shown> ShownInTarget(const Names& n) {
  const QString t = n.tag.toLower();
  return {
      {"the identity with seed and increment", "identity=1, seed=100, increment=5"},
      {"the column of the alias type", "type=code_" + t + ", type schema=" + n.schema.toLower()},
      {"the alias type", "alias type: schema=" + n.schema.toLower() + ", name=code_" + t +
                             ", base=nvarchar, length=24"},
      {"the persisted computed column", "name=total, type=int"},
      {"the named composite primary key", "name=pk_cust_" + t +
                                              ", type=nonclustered, unique=1, "
                                              "primary key=1"},
      {"the primary key's second column", "index=pk_cust_" + t + ", key ordinal=2, column=custid"},
      {"the unique constraint", "name=uq_cust_code_" + t +
                                    ", type=nonclustered, unique=1, "
                                    "primary key=0, unique constraint=1"},
      {"the descending key", "index=ix_cust_kind_" + t +
                                 ", key ordinal=1, column=kind, "
                                 "descending=1"},
      {"the included column", "index=ix_cust_kind_" + t +
                                  ", key ordinal=0, column=price, "
                                  "descending=0, included=1"},
      {"the filtered index", "name=ix_cust_name_" + t},
      {"the check", "check: name=ck_cust_price_" + t},
      {"the default", "column=kind, definition="},
      {"the cascade", "name=fk_ord_cust_" + t + ", references=" + n.schema.toLower() + ".cust_" +
                          t + ", on delete=cascade"},
      {"the self-reference", "name=fk_ord_up_" + t + ", references=dbo.ord_" + t},
      {"the disabled trigger", "name=tr_ord_off_" + t + ", disabled=1"},
      {"the enabled trigger", "name=tr_ord_stamp_" + t + ", disabled=0"},
      {"the empty table", "name=note, type=nvarchar, type schema=null, length=-1"},
  };
}

class WholeTableLive : public LiveAppend {};

// What the test server cannot show, so that this test does not compare it: an index's filter
// (filter_definition comes back NULL), CLUSTERED (every index is nonclustered), a default's
// name (the server names defaults itself), and a check written with LIKE (its definition comes
// back in the server's own dialect, which it does not take back); names come in lower case.
TEST_F(WholeTableLive, ScriptsMakeTheSameCatalogueInTheOtherDatabase) {
  const Names n;
  const DroppedAtEnd inSource(profile1, n);
  const DroppedAtEnd inTarget(profile2, n);
  RunAll(*ConnectAsSqlServer(profile1), SourceStatements(n));
  if (HasFatalFailure()) return;

  int statements = 0;
  const std::unique_ptr<adodb::Connection> source = HookedConnection(
      Connect(profile1), {"SELECT", [&](adodb::Connection&) { ++statements; }, {}});
  // The orders table by its bare name: the login's default schema.
  const std::vector<copy::WholeTable> tables =
      copy::ReadWholeTables(*source, {n.customers, TableName(n.orders.name), n.empty});
  ASSERT_EQ(tables.size(), 3u);
  EXPECT_EQ(statements, 7) << "one statement for the tables, then one a kind of object";
  EXPECT_EQ(tables[1].name.schema.toLower(), "dbo");

  const std::unique_ptr<adodb::Connection> target = ConnectAsSqlServer(profile2);
  const QString collation = ReadRows(*target->Execute(
      "SELECT CAST(DATABASEPROPERTYEX(DB_NAME(), 'Collation') AS nvarchar(128))"))[0][0]
                                .text;
  QStringList make, afterRows, foreignKeys, triggers, leftOut;
  for (const copy::WholeTable& table : tables) {
    const copy::TableScript script =
        copy::ScriptOf(table, table.name, collation, [](const TableName&) { return true; });
    make << script.make;
    afterRows << script.afterRows;
    foreignKeys << script.foreignKeys;
    triggers << script.triggers;
    leftOut << script.leftOut;
  }
  EXPECT_TRUE(leftOut.isEmpty()) << ::testing::PrintToString(leftOut);
  for (const QStringList* part : {&make, &afterRows, &foreignKeys, &triggers}) {
    RunAll(*target, *part);
    if (HasFatalFailure()) return;
  }

  const std::vector<TableName> made = {n.customers, n.orders, n.empty};
  const QStringList sourceLines = Comparable(CatalogueSnapshot(*Connect(profile1), made), n);
  const QStringList targetLines = Comparable(CatalogueSnapshot(*target, made), n);
  EXPECT_EQ(targetLines.size(), sourceLines.size());
  for (const QString& line : Missing(sourceLines, targetLines)) {
    ADD_FAILURE() << "only in the source: " << line.toStdString();
  }
  for (const QString& line : Missing(targetLines, sourceLines)) {
    ADD_FAILURE() << "only in the target: " << line.toStdString();
  }
  for (const Shown& shown : ShownInTarget(n)) {
    const QString fragment = shown.fragment.toLower();
    EXPECT_TRUE(std::any_of(targetLines.begin(), targetLines.end(),
                            [&](const QString& line) { return line.contains(fragment); }))
        << shown.what << ": no line holds \"" << fragment.toStdString() << '"';
  }
}

}  // namespace
