#include "support/live_server.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include "support/sqlite_odbc.h"

namespace {

QString Environment(const char* name, const QString& otherwise = {}) {
  const QString value = qEnvironmentVariable(name);
  return value.isEmpty() ? otherwise : value;
}

QString PrivateRegistry() {
  return SqliteOdbc::RegistryFolder() + QStringLiteral("/odbcinst.ini");
}

QByteArray ReadFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
    qWarning("cannot write %s", qPrintable(path));
  }
}

QString RegisteredDriver(const QString& registryFile) {
  if (!QFileInfo(registryFile).isFile()) return {};
  const QSettings registry(registryFile, QSettings::IniFormat);
  return registry.value(QStringLiteral("SQL Server/Driver")).toString();
}

}  // namespace

std::optional<ConnectionProfile> LiveProfile(int database) {
  const QString server = Environment("OMBRELIA_TEST_SERVER");
  if (server.isEmpty()) return std::nullopt;
  ConnectionProfile profile;
  profile.Server = server;
  profile.Port = Environment("OMBRELIA_TEST_PORT", QStringLiteral("1433"));
  profile.User = Environment("OMBRELIA_TEST_USER");
  profile.Password = Environment("OMBRELIA_TEST_PASSWORD");
  profile.Database = Environment(database == 1 ? "OMBRELIA_TEST_DB1" : "OMBRELIA_TEST_DB2");
  profile.LocalConnection = QStringLiteral("0");
  return profile;
}

QString MachineSqlServerDriver() {
  const QString chosen = Environment("OMBRELIA_TEST_DRIVER");
  if (!chosen.isEmpty()) return chosen;
  const QString registered = RegisteredDriver(QStringLiteral("/etc/odbcinst.ini"));
  if (!registered.isEmpty()) return registered;
  for (const QString& folder :
       {QStringLiteral("/usr/lib/x86_64-linux-gnu/odbc"),
        QStringLiteral("/usr/lib/aarch64-linux-gnu/odbc"), QStringLiteral("/usr/lib/odbc"),
        QStringLiteral("/usr/lib64"), QStringLiteral("/usr/local/lib")}) {
    const QString library = QDir(folder).filePath(QStringLiteral("libtdsodbc.so"));
    if (QFileInfo(library).isFile()) return library;
  }
  return QStringLiteral("libtdsodbc.so");
}

// The driver manager keeps what it read from odbcinst.ini for 20 seconds, under the search mode
// of the moment, which it takes from ODBCSEARCH at every look. The live driver is looked up under
// the system mode, which nothing else here uses, and the registry under the default mode again
// afterwards, so neither meets the other's kept entry.
LiveDriver::LiveDriver(const QString& library) : saved_(ReadFile(PrivateRegistry())) {
  WriteFile(PrivateRegistry(), QStringLiteral("[SQL Server]\nDescription=SQL Server driver for "
                                              "live tests\nDriver=%1\n")
                                   .arg(library)
                                   .toUtf8());
  qputenv("ODBCSEARCH", "ODBC_SYSTEM_DSN");
}

LiveDriver::~LiveDriver() {
  WriteFile(PrivateRegistry(), saved_);
  qputenv("ODBCSEARCH", "ODBC_BOTH_DSN");
}
