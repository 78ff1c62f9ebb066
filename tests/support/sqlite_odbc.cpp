#include "support/sqlite_odbc.h"

#ifdef __linux__
#include <dlfcn.h>
#include <langinfo.h>
#endif

#include "platform/odbc/odbc_api.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <clocale>
#include <cstdio>
#include <memory>

#include "platform/odbc/adodb.h"

namespace {

QTemporaryDir& Registry() {
  static QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/ombrelia-odbc-XXXXXX"));
  return folder;
}

QString& RegisteredLibrary() {
  static QString library;
  return library;
}

// The folder the driver manager was loaded from: its drivers are built for the same machine.
// (A Windows test program's driver manager is Windows', whose drivers these tests do not use.)
QString DriverManagerFolder() {
#ifdef __linux__
  Dl_info info{};
  if (!dladdr(reinterpret_cast<void*>(&SQLAllocHandle), &info) || !info.dli_fname) return {};
  return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).canonicalPath();
#else
  return {};
#endif
}

QStringList CandidateFolders() {
  QStringList folders;
  const QString managerFolder = DriverManagerFolder();
  if (!managerFolder.isEmpty()) folders << managerFolder + QStringLiteral("/odbc") << managerFolder;
  for (const QString& base : {QStringLiteral("/usr/lib"), QStringLiteral("/usr/lib64"),
                              QStringLiteral("/usr/local/lib")}) {
    folders << base + QStringLiteral("/odbc") << base;
    for (const QFileInfo& sub : QDir(base).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot)) {
      folders << sub.filePath() + QStringLiteral("/odbc");
    }
  }
  return folders;
}

// OMBRELIA_SQLITE_ODBC_DRIVER names the library outright; otherwise the Debian package's
// libsqlite3odbc.so (or a versioned libsqlite3odbc-*.so) is looked for in the usual folders.
QString FindSqliteDriver() {
  const QString chosen = qEnvironmentVariable("OMBRELIA_SQLITE_ODBC_DRIVER");
  if (!chosen.isEmpty()) return chosen;
  const QStringList folders = CandidateFolders();
  for (const QString& folder : folders) {
    const QFileInfo plain(folder + QStringLiteral("/libsqlite3odbc.so"));
    if (plain.isFile()) return plain.absoluteFilePath();
  }
  for (const QString& folder : folders) {
    const QFileInfoList versioned =
        QDir(folder).entryInfoList({QStringLiteral("libsqlite3odbc*.so")}, QDir::Files);
    if (!versioned.isEmpty()) return versioned.first().absoluteFilePath();
  }
  return {};
}

void WriteFile(const QString& path, const QString& text) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return;
  }
  QTextStream(&file) << text;
}

void EnsureUtf8Locale() {
  std::setlocale(LC_ALL, "");
#ifdef __linux__
  if (QByteArray(nl_langinfo(CODESET)) == "UTF-8") return;
  qputenv("LC_ALL", "C.UTF-8");
  std::setlocale(LC_ALL, "");
#endif
}

}  // namespace

void SqliteOdbc::RegisterDriver() {
  EnsureUtf8Locale();
  const QString folder = Registry().path();
  RegisteredLibrary() = FindSqliteDriver();
  if (RegisteredLibrary().isEmpty()) {
    std::fprintf(stderr,
                 "The SQLite ODBC driver (libsqlite3odbc.so) was not found; tests of "
                 "the ODBC path will fail.\n");
  }
  WriteFile(folder + QStringLiteral("/odbcinst.ini"),
            QStringLiteral("[SQL Server]\nDescription=SQLite 3 ODBC driver for tests\nDriver=%1\n")
                .arg(RegisteredLibrary()));
  WriteFile(folder + QStringLiteral("/odbc.ini"), QString());
  qputenv("ODBCSYSINI", QFile::encodeName(folder));
  qputenv("ODBCINSTINI", "odbcinst.ini");
  qputenv("ODBCINI", QFile::encodeName(folder + QStringLiteral("/odbc.ini")));
}

QString SqliteOdbc::RegistryFolder() {
  return Registry().path();
}

QString SqliteOdbc::DriverLibrary() {
  return RegisteredLibrary();
}

QString SqliteOdbc::ConnectionString(const QString& database, const QString& server,
                                     const QString& user, const QString& password) {
  return QStringLiteral("Driver={SQL Server};Server=%1,1433;Database=%2;Uid=%3;Pwd=%4;")
      .arg(server, database, user, password);
}

SqliteOdbc::SqliteOdbc() : folder_(QDir::tempPath() + QStringLiteral("/ombrelia-db-XXXXXX")) {}

QString SqliteOdbc::NewDatabase(const QString& name) {
  const QString path = folder_.filePath(name);
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
    std::fprintf(stderr, "cannot create %s\n", qPrintable(path));
  }
  return path;
}

void SqliteOdbc::Exec(const QString& database, const QString& sql) {
  std::unique_ptr<adodb::Connection> connection = adodb::CreateOdbcConnection();
  connection->Open(ConnectionString(database));
  connection->Execute(sql);
}
