// Whole tables made again on a live SQL Server (see live_server.h): tables of every kind of
// object are read from Database #1 in a few statements, their scripts run in Database #2, and
// the two catalogues then describe the same tables.

#include <gtest/gtest.h>

#include "catalogue/catalogue.h"
#include "copy/table_script.h"
#include "copy/whole_table.h"
#include "support/catalogue_snapshot.h"
#include "support/every_object_schema.h"
#include "support/hooked_connection.h"
#include "support/live_append.h"
#include "support/qt_printers.h"

namespace {

using MSSQL::TableName;

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

void RunAll(adodb::Connection& connection, const QStringList& statements) {
  for (const QString& statement : statements) {
    try {
      connection.ExecuteNoRecords(statement);
    } catch (const adodb::Error& error) {
      FAIL() << statement.toStdString() << "\n  refused: " << error.Description().toStdString();
    }
  }
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
