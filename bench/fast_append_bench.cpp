// Every way of the append against a bare client of the same work, on a live T-SQL server named
// by the OMBRELIA_TEST_* variables, from Database #1 to Database #2: the server's own copy and
// the batches at 200,000 rows, one INSERT a row at 50,000, and the command line's whole run of
// the server's copy. Each pair is timed in turns, three times, and the best of each kept.
// Without a server the item is left out.

#include <QCoreApplication>
#include <QProcess>
#include <algorithm>
#include <memory>
#include <optional>
#include <stdexcept>

#include "answering_dialogs.h"
#include "append/engine/append_engine.h"
#include "append/page/append_progress.h"
#include "bare_odbc.h"
#include "controls/progress_bar.h"
#include "items.h"
#include "platform/odbc/adodb.h"
#include "processes.h"
#include "shell/page.h"
#include "support/live_server.h"

namespace bench {
namespace {

constexpr int kManyRows = 200000;
constexpr int kRowByRowRows = 50000;
constexpr int kTurns = 3;
constexpr int kCommandLineTurns = 5;  // the whole processes vary more: the best of five
const QString kSource = QStringLiteral("ombrelia_bench_source");
const QString kSmallSource = QStringLiteral("ombrelia_bench_small");
const QString kEmptySource = QStringLiteral("ombrelia_bench_empty");
const QString kTarget = QStringLiteral("ombrelia_bench_target");
const QString kKeyedSource = QStringLiteral("ombrelia_bench_keyed");
const QString kColumns = QStringLiteral(
    "(ID int, Name nvarchar(40), Amount decimal(12, 2), Created datetime2, Code varchar(10), "
    "Note nvarchar(40))");

void Recreate(BareOdbc& connection, const QString& table) {
  connection.Execute("IF OBJECT_ID(N'" + table + "', N'U') IS NOT NULL DROP TABLE " + table);
  // The keyed source is read in its primary key's order.
  const QString columns = table == kKeyedSource
                              ? QString(kColumns).replace(QStringLiteral("ID int"),
                                                          QStringLiteral("ID int PRIMARY KEY"))
                              : kColumns;
  connection.Execute("CREATE TABLE " + table + " " + columns);
}

void Fill(BareOdbc& connection, const QString& table, int rows) {
  Recreate(connection, table);
  connection.Execute(
      QStringLiteral(
          "WITH d AS (SELECT 0 AS n UNION ALL SELECT 1 UNION ALL SELECT 2 UNION ALL SELECT 3 "
          "UNION ALL SELECT 4 UNION ALL SELECT 5 UNION ALL SELECT 6 UNION ALL SELECT 7 UNION ALL "
          "SELECT 8 UNION ALL SELECT 9), i AS (SELECT a.n + 10 * b.n + 100 * c.n + 1000 * e.n + "
          "10000 * f.n + 100000 * g.n + 1 AS n FROM d a, d b, d c, d e, d f, d g) INSERT INTO %1 "
          "SELECT n, N'Customer ' + CAST(n AS nvarchar(10)) + N' O''Neill', n * 1.25, "
          "'2024-01-02T03:04:05', 'C' + CAST(n AS varchar(9)), CASE WHEN n % 7 = 0 THEN NULL "
          "ELSE N'a note on row ' + CAST(n AS nvarchar(10)) END FROM i WHERE n <= %2")
          .arg(table)
          .arg(rows));
}

// Database #2 on the second server that scripts/bench.sh starts on another port, so that the
// fast append writes batches; without it, the batches are left out.
std::optional<ConnectionProfile> OnSecondServer(ConnectionProfile profile) {
  const QString port = qEnvironmentVariable("OMBRELIA_BENCH_SERVER2_PORT");
  if (port.isEmpty()) return std::nullopt;
  profile.Port = port;
  return profile;
}

QString Rate(int rows, double seconds) {
  return QString::number(rows / seconds, 'f', 0) + QStringLiteral(" rows/s");
}

// The best of `turns` timings of each, taken in turns, the target emptied before each.
std::pair<double, double> BestInTurns(const std::function<void()>& ours,
                                      const std::function<void()>& bare,
                                      const std::function<void()>& empty, int turns = kTurns) {
  double best[2] = {1e9, 1e9};
  for (int turn = 0; turn < turns; ++turn) {
    empty();
    best[0] = std::min(best[0], Seconds(ours));
    empty();
    best[1] = std::min(best[1], Seconds(bare));
  }
  return {best[0], best[1]};
}

class LiveWays {
 public:
  LiveWays(ConnectionProfile profile1, ConnectionProfile profile2)
      : profile1_(std::move(profile1)),
        profile2_(std::move(profile2)),
        source_(BuildConnectionString(profile1_)),
        target_(BuildConnectionString(profile2_)) {}

  void Prepare() {
    Fill(source_, kSource, kManyRows);
    Fill(source_, kSmallSource, kRowByRowRows);
    Recreate(source_, kEmptySource);
    Recreate(target_, kTarget);
  }

  void Drop() {
    for (const QString& table : {kSource, kSmallSource, kEmptySource}) {
      source_.Execute("DROP TABLE " + table);
    }
    target_.Execute("DROP TABLE " + kTarget);
  }

  // The program's whole run, from its logins to its closing message; `target` reaches the
  // target table when it is not on Database #2's server.
  void Append(const QString& source, bool fast, const ConnectionProfile& into, int rows,
              BareOdbc* target = nullptr, bool journal = true) {
    append::AppendProgress progress(page_, bar_);
    append::AppendRequest request{source, kTarget, false, profile1_, into, fast};
    request.resume = append::AppendRequest::Resume::No;
    request.journal = journal;
    append::AppendEngine(request, progress).Run();
    const bool empty = rows == 0;
    const QString said = dialogs_.LastMessage();
    if (empty ? !said.startsWith(QLatin1String("No records")) : said != QLatin1String("Done.")) {
      throw std::runtime_error("an append did not end as it should: " + said.toStdString());
    }
    Check(rows, target);
  }

  void Check(int rows, BareOdbc* target = nullptr) {
    BareOdbc& counted = target ? *target : target_;
    if (counted.Scalar("SELECT COUNT(*) FROM " + kTarget).toInt() != rows) {
      throw std::runtime_error("the target did not receive every row");
    }
  }

  void Empty() { target_.Execute("TRUNCATE TABLE " + kTarget); }
  BareOdbc& Source() { return source_; }

  const ConnectionProfile& profile1() const { return profile1_; }
  const ConnectionProfile& profile2() const { return profile2_; }

 private:
  ConnectionProfile profile1_;
  ConnectionProfile profile2_;
  BareOdbc source_;
  BareOdbc target_;
  AnsweringDialogs dialogs_;
  shell::Page page_;
  ProgressBar bar_{&page_};
};

void OneServer(LiveWays& ways, Report& report) {
  const auto [ours, bare] =
      BestInTurns([&] { ways.Append(kSource, true, ways.profile2(), kManyRows); },
                  [&] {
                    BareOdbc target(BuildConnectionString(ways.profile2()));
                    target.Execute("INSERT INTO " + kTarget + " SELECT * FROM [" +
                                   ways.profile1().Database + "]..[" + kSource + "]");
                    ways.Check(kManyRows);
                  },
                  [&] { ways.Empty(); });
  report.Add({QStringLiteral("7a. live append of 200,000 x 6, fast on one server: whole run vs "
                             "one login and the server's INSERT ... SELECT"),
              Milliseconds(ours), Milliseconds(bare), ours / bare, 1.5, Rate(kManyRows, ours)});
}

void Batches(LiveWays& ways, Report& report) {
  const std::optional<ConnectionProfile> second = OnSecondServer(ways.profile2());
  if (!second) throw std::runtime_error("no second server for the batches (scripts/bench.sh)");
  BareOdbc setup(BuildConnectionString(*second));
  Recreate(setup, kTarget);
  const auto [ours, bare] =
      BestInTurns([&] { ways.Append(kSource, true, *second, kManyRows, &setup); },
                  [&] {
                    BareOdbc source(BuildConnectionString(ways.profile1()));
                    BareOdbc target(BuildConnectionString(*second));
                    source.CopyRows(target, "SELECT * FROM " + kSource, kTarget, 1000);
                    ways.Check(kManyRows, &setup);
                  },
                  [&] { setup.Execute("TRUNCATE TABLE " + kTarget); });
  setup.Execute("DROP TABLE " + kTarget);
  report.Add({QStringLiteral("7b. live append of 200,000 x 6, fast in batches: whole run vs a "
                             "bare loop of 1,000-row INSERTs"),
              Milliseconds(ours), Milliseconds(bare), ours / bare, 1.2, Rate(kManyRows, ours)});
}

// What the journal of a run costs: the batches to another server, read in their key's order
// either way, with the journal written before every statement and without it.
void Journal(LiveWays& ways, Report& report) {
  const std::optional<ConnectionProfile> second = OnSecondServer(ways.profile2());
  if (!second) throw std::runtime_error("no second server for the batches (scripts/bench.sh)");
  Fill(ways.Source(), kKeyedSource, kManyRows);
  BareOdbc setup(BuildConnectionString(*second));
  Recreate(setup, kTarget);
  const auto [journaled, unjournaled] =
      BestInTurns([&] { ways.Append(kKeyedSource, true, *second, kManyRows, &setup); },
                  [&] { ways.Append(kKeyedSource, true, *second, kManyRows, &setup, false); },
                  [&] { setup.Execute("TRUNCATE TABLE " + kTarget); }, kCommandLineTurns);
  setup.Execute("DROP TABLE " + kTarget);
  ways.Source().Execute("DROP TABLE " + kKeyedSource);
  report.Add({QStringLiteral("7g. live append of 200,000 x 6 in batches, read by the source's "
                             "key: with the journal a later run resumes from vs without it"),
              Milliseconds(journaled), Milliseconds(unjournaled), journaled / unjournaled, 1.05,
              Rate(kManyRows, journaled)});
}

void RowByRow(LiveWays& ways, Report& report) {
  const auto [ours, bare] =
      BestInTurns([&] { ways.Append(kSmallSource, false, ways.profile2(), kRowByRowRows); },
                  [&] {
                    BareOdbc source(BuildConnectionString(ways.profile1()));
                    BareOdbc target(BuildConnectionString(ways.profile2()));
                    source.CopyRows(target, "SELECT * FROM " + kSmallSource, kTarget, 1);
                    ways.Check(kRowByRowRows);
                  },
                  [&] { ways.Empty(); });
  report.Add({QStringLiteral("7c. live append of 50,000 x 6, one INSERT a row: whole run vs a "
                             "bare loop of the same INSERTs"),
              Milliseconds(ours), Milliseconds(bare), ours / bare, 1.15,
              Rate(kRowByRowRows, ours)});
}

QStringList LoginOptions(const ConnectionProfile& profile, int number) {
  const QString n = QString::number(number);
  return {"--server" + n, profile.Server, "--port" + n,     profile.Port,
          "--user" + n,   profile.User,   "--database" + n, profile.Database};
}

// The command line's whole run as a script runs it, from the process's start to its exit (the
// tables' names checked, both logins, the copy, the after-check), against a bare client process
// that logs in and sends the same INSERT ... SELECT.
void CommandLine(LiveWays& ways, Report& report) {
  const QStringList append =
      QStringList{"append", "--to", "2", kSource, kTarget, "--fast", "--yes", "--quiet"} +
      LoginOptions(ways.profile1(), 1) + LoginOptions(ways.profile2(), 2);
  const QString statement = "INSERT INTO " + kTarget + " SELECT * FROM [" +
                            ways.profile1().Database + "]..[" + kSource + "]";
  qputenv("OMBRELIA_PASSWORD1", ways.profile1().Password.toUtf8());
  qputenv("OMBRELIA_PASSWORD2", ways.profile2().Password.toUtf8());
  const auto [ours, bare] = BestInTurns(
      [&] {
        QProcess program;
        RunToTheEnd(program, QStringLiteral(OMBRELIA_PROGRAM), append);
        ways.Check(kManyRows);
      },
      [&] {
        QProcess client;
        RunToTheEnd(client, QCoreApplication::applicationFilePath(),
                    {QStringLiteral("bare-statement-child"), BuildConnectionString(ways.profile2()),
                     statement});
        ways.Check(kManyRows);
      },
      [&] { ways.Empty(); }, kCommandLineTurns);
  report.Add({QStringLiteral("7e. live append of 200,000 x 6 from the command line, fast on one "
                             "server: the process's whole run vs a bare client process"),
              Milliseconds(ours), Milliseconds(bare), ours / bare, 1.5, Rate(kManyRows, ours)});
}

// The command line's own way, as a script that names no way gets it, against --fast: the same
// process from start to exit, 200,000 rows between two databases of one server.
void CommandLineDefault(LiveWays& ways, Report& report) {
  const QStringList append = QStringList{"append", "--to", "2", kSource, kTarget, "--quiet"} +
                             LoginOptions(ways.profile1(), 1) + LoginOptions(ways.profile2(), 2);
  qputenv("OMBRELIA_PASSWORD1", ways.profile1().Password.toUtf8());
  qputenv("OMBRELIA_PASSWORD2", ways.profile2().Password.toUtf8());
  const auto run = [&](const QStringList& arguments) {
    QProcess program;
    RunToTheEnd(program, QStringLiteral(OMBRELIA_PROGRAM), arguments);
    ways.Check(kManyRows);
  };
  const auto [byDefault, fast] =
      BestInTurns([&] { run(append); }, [&] { run(append + QStringList{"--fast"}); },
                  [&] { ways.Empty(); }, kCommandLineTurns);
  report.Add({QStringLiteral("7f. live append of 200,000 x 6 from the command line between two "
                             "databases of one server: no way named vs --fast"),
              Milliseconds(byDefault), Milliseconds(fast), byDefault / fast, 1.2,
              Rate(kManyRows, byDefault)});
}

// What every run pays before its first row: the logins, the look at both tables, the counts.
void FixedCosts(LiveWays& ways, Report& report) {
  const auto [ours, bare] =
      BestInTurns([&] { ways.Append(kEmptySource, true, ways.profile2(), 0); },
                  [&] { BareOdbc target(BuildConnectionString(ways.profile2())); }, [] {});
  report.Add({QStringLiteral("7d. live append's fixed costs: a run of an empty table vs one "
                             "bare login"),
              Milliseconds(ours), Milliseconds(bare), ours / bare, std::nullopt, QString()});
}

}  // namespace

int BareStatementChild(const QString& connectionString, const QStringList& statements) {
  BareOdbc connection(connectionString);
  for (const QString& statement : statements) connection.Execute(statement);
  return 0;
}

void FastAppendLive(Report& report) {
  const std::optional<ConnectionProfile> profile1 = LiveProfile(1);
  const std::optional<ConnectionProfile> profile2 = LiveProfile(2);
  if (!profile1 || !profile2) throw std::runtime_error(kNoLiveServer);
  const LiveDriver driver;
  LiveWays ways(*profile1, *profile2);
  ways.Prepare();
  const QStringList only =
      qEnvironmentVariable("OMBRELIA_BENCH_LIVE").split(QLatin1Char(','), Qt::SkipEmptyParts);
  const auto chosen = [&](const char* way) {
    return only.isEmpty() || only.contains(QLatin1String(way));
  };
  if (chosen("fixed")) FixedCosts(ways, report);
  if (chosen("server")) OneServer(ways, report);
  if (chosen("batches")) Batches(ways, report);
  if (chosen("rows")) RowByRow(ways, report);
  if (chosen("command")) CommandLine(ways, report);
  if (chosen("default")) CommandLineDefault(ways, report);
  if (chosen("journal")) Journal(ways, report);
  ways.Drop();
}

}  // namespace bench
