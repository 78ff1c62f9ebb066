// The join on the live T-SQL server: `ombrelia join` as a script runs it, a process of its own
// from start to exit, against a bare client process that logs in once and runs the same full
// outer join with SELECT ... INTO, at 100,000 and at 1,000,000 rows a side, in turns, the best of
// three kept; the new table's rows are counted after each and must be equal. The join page's
// own run (the engine from the click to its closing box) is reported beside them, and so is the
// same bare client process sending the join's own statements: what the server alone asks for
// the staging copies, the two-pass join and the drops, the floor of the program's figure.

#include <QCoreApplication>
#include <QLocale>
#include <QProcess>
#include <stdexcept>

#include "answering_dialogs.h"
#include "bare_odbc.h"
#include "items.h"
#include "join/field_name_registry.h"
#include "join/join_engine.h"
#include "join/join_statements.h"
#include "processes.h"
#include "support/live_server.h"

namespace bench {
namespace {

constexpr int kTurns = 3;
const QString kLeft = QStringLiteral("ombrelia_bench_customers");
const QString kRight = QStringLiteral("ombrelia_bench_orders");
const QString kJoined = QStringLiteral("ombrelia_bench_joined");

// The page's lists and pointer have no counterpart here.
class SilentReport : public JoinReport {
 public:
  void Busy(bool) override {}
  void RemoveTable(TableList, const QString&) override {}
  void AddTable(TableList, const QString&) override {}
};

// Customers (4 columns) keyed 1..rows; orders (5 columns) whose keys match three in four.
void Fill(BareOdbc& connection, int rows) {
  for (const QString& table : {kLeft, kRight, kJoined}) {
    connection.Execute(
        QStringLiteral("IF OBJECT_ID(N'%1', N'U') IS NOT NULL DROP TABLE %1").arg(table));
  }
  connection.Execute("CREATE TABLE " + kLeft +
                     " (ID int, Name varchar(40), City varchar(40), Since date)");
  connection.Execute("CREATE TABLE " + kRight +
                     " (OrderID int, CustomerID int, Total decimal(12, 2), Placed date, Note "
                     "varchar(40))");
  const QString numbers =
      QStringLiteral(
          "WITH d AS (SELECT n FROM (VALUES (0),(1),(2),(3),(4),(5),(6),(7),(8),(9)) v(n)), "
          "n AS (SELECT TOP (%1) a.n + 10 * b.n + 100 * c.n + 1000 * e.n + 10000 * f.n + "
          "100000 * g.n + 1 AS i FROM d a, d b, d c, d e, d f, d g) ")
          .arg(rows);
  connection.Execute(numbers + "INSERT INTO " + kLeft +
                     " SELECT i, 'Customer ' + CAST(i AS varchar(10)), 'City', '2024-01-02' "
                     "FROM n");
  connection.Execute(numbers + "INSERT INTO " + kRight +
                     " SELECT i, CASE WHEN i % 4 = 0 THEN i + 10000000 ELSE i END, i * 1.25, "
                     "'2024-03-04', 'note' FROM n");
}

// The join's own statements in the order it sends them, every name its own alias (the two
// tables share no field name); the staging copies are left by no join before.
QStringList StagedStatements() {
  const QStringList fields1 = {"ID", "Name", "City", "Since"};
  const QStringList fields2 = {"OrderID", "CustomerID", "Total", "Placed", "Note"};
  const QString staging1 = QStringLiteral("s_t1");
  const QString staging2 = QStringLiteral("s_t2");
  return {join_statements::StagingCopy(join_statements::SelectList(fields1, fields1), staging1,
                                       MSSQL::TableName(kLeft)),
          join_statements::StagingCopy(join_statements::SelectList(fields2, fields2), staging2,
                                       MSSQL::TableName(kRight)),
          join_statements::Join(kJoined, QStringLiteral("ID"), QStringLiteral("CustomerID")),
          join_statements::DropIfExists(staging1), join_statements::DropIfExists(staging2)};
}

QString JoinStatement() {
  return "SELECT * INTO " + kJoined + " FROM " + kLeft + " FULL OUTER JOIN " + kRight + " ON " +
         kLeft + ".ID = " + kRight + ".CustomerID";
}

void RunToTheEnd(const QString& program, const QStringList& arguments) {
  QProcess process;
  bench::RunToTheEnd(process, program, arguments);
}

class JoinTurns {
 public:
  explicit JoinTurns(ConnectionProfile profile)
      : profile_(std::move(profile)), connection_(BuildConnectionString(profile_)) {}

  void Prepare(int rows) { Fill(connection_, rows); }
  void Drop() {
    for (const QString& table : {kLeft, kRight}) connection_.Execute("DROP TABLE " + table);
  }
  void Empty() {
    connection_.Execute(
        QStringLiteral("IF OBJECT_ID(N'%1', N'U') IS NOT NULL DROP TABLE %1").arg(kJoined));
  }
  qint64 Joined() { return connection_.Scalar("SELECT COUNT_BIG(*) FROM " + kJoined).toLongLong(); }

  void Program() {
    RunToTheEnd(QStringLiteral(OMBRELIA_PROGRAM),
                {"join", kLeft, "ID", kRight, "CustomerID", "--into", kJoined, "--quiet",
                 "--server1", profile_.Server, "--port1", profile_.Port, "--user1", profile_.User,
                 "--database1", profile_.Database});
  }
  void Bare() { BareClient({JoinStatement()}); }
  void Staged() { BareClient(StagedStatements()); }
  // Each of the join's statements timed on a fresh login, and the join once more in it under
  // another name: the server's first sight of a statement costs more than the statement.
  QString StatementTimes() {
    BareOdbc fresh(BuildConnectionString(profile_));
    const QStringList statements = StagedStatements();
    QStringList times;
    const auto timed = [&](const QString& statement) {
      times << Milliseconds(Seconds([&] { fresh.Execute(statement); }));
    };
    for (const QString& statement : statements.mid(0, 3)) timed(statement);
    const QString again = kJoined + QStringLiteral("_again");
    timed(join_statements::Join(again, QStringLiteral("ID"), QStringLiteral("CustomerID")));
    fresh.Execute("DROP TABLE " + again);
    for (const QString& statement : statements.mid(3)) timed(statement);
    return QStringLiteral(
               "on a fresh login: copies %1 and %2, join %3, drops %5 and %6; the join "
               "again on that login under another name %4")
        .arg(times[0], times[1], times[2], times[3], times[4], times[5]);
  }
  void BareClient(const QStringList& statements) {
    RunToTheEnd(
        QCoreApplication::applicationFilePath(),
        QStringList{QStringLiteral("bare-statement-child"), BuildConnectionString(profile_)} +
            statements);
  }
  void Page() {
    AnsweringDialogs dialogs(kJoined);
    SilentReport report;
    FieldNameRegistry registry;
    JoinEngine(report, registry)
        .Run(JoinSelection{kLeft, QStringLiteral("ID"), kRight, QStringLiteral("CustomerID")},
             profile_, {kLeft, kRight});
    if (dialogs.LastMessage() != QLatin1String("Done.")) {
      throw std::runtime_error("the join page's run said " + dialogs.LastMessage().toStdString());
    }
  }

 private:
  ConnectionProfile profile_;
  BareOdbc connection_;
};

// Best of `kTurns` of each, in turns; the joined rows of each turn must be the bare client's.
void Measure(JoinTurns& turns, int rows, Report& report) {
  turns.Prepare(rows);
  double best[4] = {1e9, 1e9, 1e9, 1e9};
  qint64 counted[4] = {-1, -1, -1, -1};
  const std::function<void()> ways[4] = {[&] { turns.Program(); }, [&] { turns.Bare(); },
                                         [&] { turns.Page(); }, [&] { turns.Staged(); }};
  for (int turn = 0; turn < kTurns; ++turn) {
    for (int way = 0; way < 4; ++way) {
      turns.Empty();
      best[way] = std::min(best[way], Seconds(ways[way]));
      counted[way] = turns.Joined();
    }
  }
  turns.Empty();
  const QString statementTimes = turns.StatementTimes();
  turns.Empty();
  turns.Drop();
  if (counted[0] != counted[1] || counted[2] != counted[1] || counted[3] != counted[1]) {
    throw std::runtime_error("the joins did not give the same rows");
  }
  const QString size = QLocale(QLocale::English).toString(rows);
  report.Add({QStringLiteral("10. live join of %1 rows a side from the command line: the "
                             "process's whole run vs a bare client process")
                  .arg(size),
              Milliseconds(best[0]), Milliseconds(best[1]), best[0] / best[1],
              rows <= 100000 ? std::optional<double>(1.5) : std::nullopt,
              QStringLiteral("%1 joined rows").arg(counted[1])});
  report.Add({QStringLiteral("10p. live join of %1 rows a side on the join page: the engine's run "
                             "vs the same bare client process")
                  .arg(size),
              Milliseconds(best[2]), Milliseconds(best[1]), best[2] / best[1], std::nullopt,
              QString()});
  report.Add({QStringLiteral("10s. live join of %1 rows a side, the join's own statements sent by "
                             "the bare client process vs its single statement")
                  .arg(size),
              Milliseconds(best[3]), Milliseconds(best[1]), best[3] / best[1], std::nullopt,
              statementTimes});
}

}  // namespace

void JoinLive(Report& report) {
  const std::optional<ConnectionProfile> profile = LiveProfile(1);
  if (!profile) throw std::runtime_error(kNoLiveServer);
  const LiveDriver driver;
  qputenv("OMBRELIA_PASSWORD1", profile->Password.toUtf8());
  JoinTurns turns(*profile);
  for (const int rows : {100000, 1000000}) Measure(turns, rows, report);
}

}  // namespace bench
