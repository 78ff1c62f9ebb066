// A field list costs the same for a table of a million rows as for one of ten: the names come
// from the statement's description, no row is fetched.

#include <QListWidget>
#include <memory>
#include <stdexcept>

#include "answering_dialogs.h"
#include "bare_odbc.h"
#include "bench_databases.h"
#include "catalogue/catalogue.h"
#include "items.h"
#include "jobs/worker.h"
#include "join/field_name_registry.h"
#include "join/join_engine.h"
#include "join/join_page_report.h"
#include "platform/odbc/adodb.h"
#include "shell/page.h"

namespace bench {
namespace {

constexpr int kRuns = 101;
const QStringList kColumns = {"ID", "Name", "Amount", "Created", "Note"};

void CreateTable(BareOdbc& database, const QString& table, int rows) {
  database.Execute(QStringLiteral("CREATE TABLE [%1] (ID INTEGER, Name TEXT, Amount REAL, "
                                  "Created TEXT, Note TEXT)")
                       .arg(table));
  database.Execute(QStringLiteral("INSERT INTO [%1] WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL "
                                  "SELECT i + 1 FROM n WHERE i < %2) SELECT i, 'Customer ' || i, "
                                  "i * 1.25, '2024-01-02 03:04:05', 'a note' FROM n")
                       .arg(table)
                       .arg(rows));
  if (database.Scalar(QStringLiteral("SELECT COUNT(*) FROM [%1]").arg(table)).toInt() != rows) {
    throw std::runtime_error("the table " + table.toStdString() + " was not filled");
  }
}

// What the join page does when a table is clicked: a connection of its own, then the names,
// on a worker.
QStringList FieldList(const ConnectionProfile& profile, const QString& table) {
  return jobs::Wait([&] { return MSSQL::FieldNames(profile, table); });
}

void CompareFieldLists(Report& report, const ConnectionProfile& profile) {
  if (FieldList(profile, QStringLiteral("Big")) != kColumns) {
    throw std::runtime_error("the field list of Big is wrong");
  }
  const SideBySide times = TimeSideBySide(
      kRuns, [&] { FieldList(profile, QStringLiteral("Big")); },
      [&] { FieldList(profile, QStringLiteral("Small")); });
  report.Add({QStringLiteral("3a. field list: 1,000,000-row table vs 10-row table"),
              Milliseconds(times.ours), Milliseconds(times.baseline), times.Ratio(), 1.5,
              QStringLiteral("connection opened and field names read, as a click on a table "
                             "does; median of %1 runs each")
                  .arg(kRuns)});
}

// The join engine with the name prompt cancelled: it connects, reads the field names of both
// tables, asks for the name and ends without a statement.
void CompareJoinFieldReads(Report& report, const ConnectionProfile& profile) {
  AnsweringDialogs dialogs;
  shell::Page page;
  QListWidget list1;
  QListWidget list3;
  FieldNameRegistry registry;
  auto run = [&](const QString& table) {
    JoinPageReport report(page, list1, list3);
    JoinEngine(report, registry)
        .Run(JoinSelection{table, QStringLiteral("ID"), table, QStringLiteral("ID")}, profile, {});
  };
  const SideBySide times = TimeSideBySide(
      kRuns, [&] { run(QStringLiteral("Big")); }, [&] { run(QStringLiteral("Small")); });
  if (dialogs.Inputs() != 2 * kRuns || dialogs.Messages() != 0 ||
      registry.FieldNameCount() != 2 * kColumns.size()) {
    throw std::runtime_error("the join engine did not read both tables' fields");
  }
  report.Add({QStringLiteral("3b. join engine fields: 1,000,000-row tables vs 10-row tables"),
              Milliseconds(times.ours), Milliseconds(times.baseline), times.Ratio(), 1.5,
              QStringLiteral("a run up to the name prompt (cancelled): connection, both tables' "
                             "field names, the registry; median of %1 runs each")
                  .arg(kRuns)});
}

}  // namespace

void FieldNamesOfALargeTable(Report& report) {
  BenchDatabases databases;
  const QString database = databases.New(QStringLiteral("fields.db"));
  {
    BareOdbc setup(BenchDatabases::ConnectionString(database));
    CreateTable(setup, QStringLiteral("Big"), 1000000);
    CreateTable(setup, QStringLiteral("Small"), 10);
  }
  const ConnectionProfile profile = BenchDatabases::ProfileOf(database);
  CompareFieldLists(report, profile);
  CompareJoinFieldReads(report, profile);
}

}  // namespace bench
