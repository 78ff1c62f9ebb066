#pragma once

// Throwaway SQLite databases for the benchmarks, reached through the driver registered as
// "SQL Server" with the connection string the program builds. The files live in the folder of
// TMPDIR (memory-backed storage when the benchmarks run from scripts/bench.sh) and are in WAL
// journal mode, which the file keeps: with the driver's default synchronous=NORMAL no commit
// then waits for a write to reach the disk.

#include <QString>

#include "connections/connection_profile.h"
#include "support/sqlite_odbc.h"

namespace bench {

class BenchDatabases {
 public:
  // A new, empty database file in WAL journal mode.
  QString New(const QString& name);
  QString Folder() const { return sqlite_.Folder(); }

  // The login of a database file as the connection page would hold it.
  static ConnectionProfile ProfileOf(const QString& database);
  static QString ConnectionString(const QString& database);

 private:
  SqliteOdbc sqlite_;
};

}  // namespace bench
