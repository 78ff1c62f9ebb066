#include "bench_databases.h"

#include <stdexcept>

#include "bare_odbc.h"

namespace bench {

QString BenchDatabases::New(const QString& name) {
  const QString database = sqlite_.NewDatabase(name);
  BareOdbc connection(ConnectionString(database));
  const QString mode = connection.Scalar(QStringLiteral("PRAGMA journal_mode=WAL"));
  if (mode.compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0) {
    throw std::runtime_error("cannot put " + database.toStdString() + " in WAL mode");
  }
  return database;
}

ConnectionProfile BenchDatabases::ProfileOf(const QString& database) {
  return {QStringLiteral("bench-host"), QStringLiteral("bench"), QStringLiteral("bench"), database,
          QStringLiteral("1433"),       QStringLiteral("0")};
}

QString BenchDatabases::ConnectionString(const QString& database) {
  return BuildConnectionString(ProfileOf(database));
}

}  // namespace bench
