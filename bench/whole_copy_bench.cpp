// A copy of tables of every kind of object with --create on one server, the process's whole
// run, against a bare client process that logs in once and sends the same statements: the
// dry run's script, each table's rows by INSERT ... SELECT after its CREATE TABLE.

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

constexpr int kTurns = 3;

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

// The rows of each table, by the server's own copy from the source's database, placed after
// the statement that makes its table.
QStringList WithRows(const QStringList& script, const Names& n, const QString& sourceDatabase) {
  const QString kept = QStringLiteral("[CustId], [Region], [Code], [Name], [Price], [Kind]");
  QStringList statements;
  for (const QString& statement : script) {
    statements << statement;
    if (!statement.startsWith(QLatin1String("CREATE TABLE "))) continue;
    for (const TableName& table : Tables(n)) {
      if (!statement.startsWith("CREATE TABLE " + table.Bracketed())) continue;
      const QString from = "[" + sourceDatabase + "]." + table.Bracketed();
      if (table == n.customers) {
        statements << "SET IDENTITY_INSERT " + table.Bracketed() + " ON"
                   << "INSERT INTO " + table.Bracketed() + " (" + kept + ") SELECT " + kept +
                          " FROM " + from
                   << "SET IDENTITY_INSERT " + table.Bracketed() + " OFF";
      } else {
        statements << "INSERT INTO " + table.Bracketed() + " SELECT * FROM " + from;
      }
    }
  }
  return statements;
}

}  // namespace

void WholeCopyLive(Report& report) {
  const std::optional<ConnectionProfile> source = LiveProfile(1);
  const std::optional<ConnectionProfile> target = LiveProfile(2);
  if (!source || !target) throw std::runtime_error(kNoLiveServer);
  const LiveDriver driver;
  const Names n;
  BareOdbc setup(BuildConnectionString(*source));
  for (const QString& statement :
       SourceStatements(n, setup.Scalar("SELECT CAST(SERVERPROPERTY('Babelfish') AS int)") != "1") +
           RowStatements(n)) {
    setup.Execute(statement);
  }
  BareOdbc emptied(BuildConnectionString(*target));
  const auto empty = [&] {
    for (const QString& drop : DropStatements(n)) emptied.Execute(drop);
  };
  empty();
  const QStringList copy =
      QStringList{"append", "--to", "2", "--like", "%" + n.tag, "--create", "--quiet"} +
      LoginOptions(*source, 1) + LoginOptions(*target, 2);
  qputenv("OMBRELIA_PASSWORD1", source->Password.toUtf8());
  qputenv("OMBRELIA_PASSWORD2", target->Password.toUtf8());
  const QStringList statements =
      WithRows(DryRunScript(RunProgram(copy + QStringList{"--dry-run"})), n, source->Database);
  double best[2] = {1e9, 1e9};
  for (int turn = 0; turn < kTurns; ++turn) {
    empty();
    best[0] = std::min(best[0], Seconds([&] { RunProgram(copy); }));
    empty();
    best[1] = std::min(best[1], Seconds([&] {
                         QProcess client;
                         RunToTheEnd(client, QCoreApplication::applicationFilePath(),
                                     QStringList{QStringLiteral("bare-statement-child"),
                                                 BuildConnectionString(*target)} +
                                         statements);
                       }));
  }
  empty();
  for (const QString& drop : DropStatements(n)) setup.Execute(drop);
  report.Add({QStringLiteral("8a. live --create of three tables of every kind of object (%1 "
                             "statements) on one server: the process's whole run vs a bare "
                             "client process sending the same statements")
                  .arg(statements.size()),
              Milliseconds(best[0]), Milliseconds(best[1]), best[0] / best[1], std::nullopt,
              QString()});
}

}  // namespace bench
