#pragma once

// The real ODBC path in tests without a SQL Server: the SQLite ODBC driver, registered under
// the driver name "SQL Server" in a private odbcinst.ini, and throwaway database files.
// SQLite reads Database= as a file path and ignores Server, Uid and Pwd.

#include <QString>
#include <QTemporaryDir>

class SqliteOdbc {
 public:
  // Once per test program, before anything talks to the driver manager: writes odbcinst.ini
  // (the SQLite driver as "SQL Server") and an empty odbc.ini into a folder of the process and
  // points ODBCSYSINI, ODBCINSTINI and ODBCINI at them, so the machine's own registration is
  // never used. The driver manager converts texts for this driver by the process locale, so a
  // locale whose character set is not UTF-8 is replaced by C.UTF-8.
  static void RegisterDriver();
  // The folder of the private registry, and the driver library registered in it (empty when
  // no SQLite ODBC driver was found).
  static QString RegistryFolder();
  static QString DriverLibrary();

  // "Driver={SQL Server};Server=<server>,1433;Database=<database>;Uid=<user>;Pwd=<password>;",
  // the form the program builds.
  static QString ConnectionString(const QString& database,
                                  const QString& server = QStringLiteral("sqlite-host"),
                                  const QString& user = QStringLiteral("tester"),
                                  const QString& password = QStringLiteral("secret"));

  SqliteOdbc();
  // The path of a new, empty database file named `name` in this fixture's folder.
  QString NewDatabase(const QString& name);
  // Runs one statement on the database through ODBC, for arranging test data.
  void Exec(const QString& database, const QString& sql);
  QString Folder() const { return folder_.path(); }

 private:
  QTemporaryDir folder_;
};
