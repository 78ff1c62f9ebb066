// The join engine's own time: two tables of 500 columns each whose names all clash, so that
// every field of the second table is renamed by the registry; the server answers at once and
// the time spent inside it is taken off.

#include <QListWidget>
#include <memory>
#include <stdexcept>

#include "answering_dialogs.h"
#include "instant_server.h"
#include "items.h"
#include "join/field_name_registry.h"
#include "join/join_engine.h"
#include "join/join_page_report.h"
#include "shell/page.h"

namespace bench {
namespace {

constexpr int kRuns = 51;
// Statements of a completed join: two field reads, S1, S2, C1, C2, J, S1, S2.
constexpr int kStatementsPerJoin = 9;

QStringList Fields(int columns) {
  QStringList fields;
  for (int i = 1; i <= columns; ++i) {
    fields << QStringLiteral("Field%1").arg(i, 3, 10, QLatin1Char('0'));
  }
  return fields;
}

// The median own time of one join of two tables of `columns` columns each.
double OwnTimeOfAJoin(int columns) {
  InstantServer server;
  server.AddTable(QStringLiteral("First"), Fields(columns));
  server.AddTable(QStringLiteral("Second"), Fields(columns));
  AnsweringDialogs dialogs(QStringLiteral("Joined"));
  shell::Page page;
  FieldNameRegistry registry;
  const ConnectionProfile profile{"bench-host", "bench", "bench", "db1", "1433", "0"};
  const JoinSelection selection{QStringLiteral("First"), QStringLiteral("Field001"),
                                QStringLiteral("Second"), QStringLiteral("Field001")};
  std::vector<double> own;
  for (int run = 0; run < kRuns; ++run) {
    QListWidget list1;
    QListWidget list3;
    list1.addItems({QStringLiteral("First"), QStringLiteral("Second")});
    list3.addItems({QStringLiteral("First"), QStringLiteral("Second")});
    server.ResetCounters();
    JoinPageReport report(page, list1, list3);
    const double total = Seconds([&] {
      JoinEngine(report, registry).Run(selection, profile, {selection.table1, selection.table2});
    });
    if (server.Statements() != kStatementsPerJoin || dialogs.LastMessage() != "Done." ||
        registry.FieldNameCount() != 2 * columns) {
      throw std::runtime_error("the join did not run to its end");
    }
    own.push_back(total - server.SecondsInside());
  }
  return Median(own);
}

}  // namespace

void JoinEngineOwnTime(Report& report) {
  const double small = OwnTimeOfAJoin(50);
  const double large = OwnTimeOfAJoin(500);
  report.Add({QStringLiteral("6a. join engine's own time, 2 x 500 columns"), Milliseconds(large),
              QStringLiteral("-"), std::nullopt, std::nullopt,
              QStringLiteral("every name of the second table clashes and is renamed; the server "
                             "answers at once and its time is taken off; median of %1 runs")
                  .arg(kRuns)});
  report.Add({QStringLiteral("6b. join engine's own time a column, 2 x 500 vs 2 x 50 columns"),
              Microseconds(large / 1000) + QStringLiteral(" a column"),
              Microseconds(small / 100) + QStringLiteral(" a column"),
              (large / 1000) / (small / 100), std::nullopt,
              QStringLiteral("near 1 when the cost grows linearly with the columns; 10 when "
                             "it grows with their square")});
}

}  // namespace bench
