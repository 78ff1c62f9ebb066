// A copy of two dozen small tables with --create on one server (a few thousand rows in all,
// some linked by foreign keys), the process's whole run and its dry run, against a bare client
// process that logs in once and sends the same statements: the dry run's script, each table's
// rows by INSERT ... SELECT after its CREATE TABLE. The cost here is in the statements a table.

#include <QCoreApplication>
#include <QProcess>

#include "bare_odbc.h"
#include "connections/connection_profile.h"
#include "harness.h"
#include "items.h"
#include "processes.h"
#include "support/every_object_schema.h"
#include "support/live_server.h"

namespace bench {
namespace {

constexpr int kTables = 24;
constexpr int kRowsEach = 150;
constexpr int kTurns = 3;
const QString kPrefix = QStringLiteral("ombrelia_bench_small_");

QString Name(int at) {
  return kPrefix + QString::number(at).rightJustified(2, u'0');
}

QStringList LoginOptions(const ConnectionProfile& profile, int number) {
  const QString n = QString::number(number);
  return {"--server" + n, profile.Server, "--port" + n,     profile.Port,
          "--user" + n,   profile.User,   "--database" + n, profile.Database};
}

QString RunProgram(const QStringList& arguments) {
  QProcess program;
  RunToTheEnd(program, QStringLiteral(OMBRELIA_PROGRAM), arguments);
  return QString::fromUtf8(program.readAllStandardOutput());
}

// Every third table references the one before it.
void MakeSources(BareOdbc& source) {
  for (int at = 0; at < kTables; ++at) {
    const bool child = at % 3 == 2;
    source.Execute("CREATE TABLE " + Name(at) +
                   " (id int NOT NULL PRIMARY KEY, name nvarchar(40), amount decimal(10, 2)" +
                   (child ? ", up int REFERENCES " + Name(at - 1) + " (id)" : QString()) + ")");
    source.Execute(
        QStringLiteral("INSERT INTO %1 SELECT g, N'name ' + CAST(g AS nvarchar(10)), g * 1.5%2 "
                       "FROM generate_series(1, %3) g")
            .arg(Name(at), child ? QStringLiteral(", g") : QString())
            .arg(kRowsEach));
  }
}

void Drop(BareOdbc& database) {
  for (int at = kTables - 1; at >= 0; --at) database.Execute("DROP TABLE IF EXISTS " + Name(at));
}

// Each table's rows by the server's own copy from the source's database, after its CREATE.
QStringList WithRows(const QStringList& script, const QString& sourceDatabase) {
  QStringList statements;
  for (const QString& statement : script) {
    statements << statement;
    if (!statement.startsWith(QLatin1String("CREATE TABLE "))) continue;
    for (int at = 0; at < kTables; ++at) {
      if (!statement.contains("[" + Name(at) + "]")) continue;
      statements << "INSERT INTO " + Name(at) + " SELECT * FROM [" + sourceDatabase + "].." +
                        Name(at);
    }
  }
  return statements;
}

}  // namespace

void SmallTablesLive(Report& report) {
  const std::optional<ConnectionProfile> source = LiveProfile(1);
  const std::optional<ConnectionProfile> target = LiveProfile(2);
  if (!source || !target) throw std::runtime_error(kNoLiveServer);
  const LiveDriver driver;
  BareOdbc setup(BuildConnectionString(*source));
  Drop(setup);
  MakeSources(setup);
  BareOdbc emptied(BuildConnectionString(*target));
  Drop(emptied);
  const QStringList copy =
      QStringList{"append", "--to", "2", "--like", kPrefix + "%", "--create", "--quiet"} +
      LoginOptions(*source, 1) + LoginOptions(*target, 2);
  qputenv("OMBRELIA_PASSWORD1", source->Password.toUtf8());
  qputenv("OMBRELIA_PASSWORD2", target->Password.toUtf8());
  const QStringList dryRun = copy + QStringList{"--dry-run"};
  const QStringList statements = WithRows(DryRunScript(RunProgram(dryRun)), source->Database);
  double best[3] = {1e9, 1e9, 1e9};
  for (int turn = 0; turn < kTurns; ++turn) {
    Drop(emptied);
    best[0] = std::min(best[0], Seconds([&] { RunProgram(copy); }));
    Drop(emptied);
    best[1] = std::min(best[1], Seconds([&] {
                         QProcess client;
                         RunToTheEnd(client, QCoreApplication::applicationFilePath(),
                                     QStringList{QStringLiteral("bare-statement-child"),
                                                 BuildConnectionString(*target)} +
                                         statements);
                       }));
    Drop(emptied);
    best[2] = std::min(best[2], Seconds([&] { RunProgram(dryRun); }));
  }
  Drop(emptied);
  Drop(setup);
  const QString what = QStringLiteral(
                           "two dozen small tables (%1 x %2 rows, %3 statements) on "
                           "one server")
                           .arg(kTables)
                           .arg(kRowsEach)
                           .arg(statements.size());
  report.Add({QStringLiteral("9a. live --create of ") + what +
                  QStringLiteral(": the process's whole run vs a bare client process sending "
                                 "the same statements on one session"),
              Milliseconds(best[0]), Milliseconds(best[1]), best[0] / best[1], 1.5, QString()});
  report.Add({QStringLiteral("9b. live --dry-run of the --create of ") + what +
                  QStringLiteral(": the process's whole run vs the bare client's copy"),
              Milliseconds(best[2]), Milliseconds(best[1]), best[2] / best[1], std::nullopt,
              QString()});
}

}  // namespace bench
