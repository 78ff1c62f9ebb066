// The installed shape of the command line: the program itself, started as a user would start
// it, with no display at all, over the real driver manager and the SQLite driver registered as
// "SQL Server", with its logins in a settings folder of its own.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "support/qt_printers.h"
#include "support/sqlite_odbc.h"

namespace {

struct Finished {
  int exitCode = -1;
  QString out;
  QString err;
};

class Program : public ::testing::Test {
 protected:
  Program() {
    database = sqlite.NewDatabase(QStringLiteral("sales.db"));
    sqlite.Exec(database, QStringLiteral("CREATE TABLE Orders (ID INTEGER, Customer TEXT)"));
    sqlite.Exec(database, QStringLiteral("CREATE TABLE SysLog (Line TEXT)"));
    sqlite.Exec(database, QStringLiteral("CREATE VIEW Totals AS SELECT ID FROM Orders"));
    // A database that cannot be opened: its folder does not exist.
    const QString unreachable = config.path() + QStringLiteral("/missing/stock.db");
    WriteSettings(
        QStringLiteral("[Ombrelia]\nServer=sqlite-host\nUser=tester\nPassword=secret\n"
                       "Database=%1\nServer2=sqlite-host\nUser2=tester\nPassword2=secret\n"
                       "Database2=%2\n")
            .arg(database, unreachable));
  }

  void WriteSettings(const QString& text) {
    QFile file(SettingsPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text.toUtf8());
  }

  QString SettingsPath() const { return config.path() + QStringLiteral("/Korvath.ini"); }

  QByteArray Settings() const {
    QFile file(SettingsPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }

  // Started without a display: a window, or even a GUI application object, could not start.
  Finished Run(const QStringList& arguments) const {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    environment.remove(QStringLiteral("OMBRELIA_PASSWORD1"));
    environment.remove(QStringLiteral("OMBRELIA_PASSWORD2"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(OMBRELIA_PROGRAM), arguments);
    process.closeWriteChannel();  // no terminal, and nothing to read: a prompt must not wait
    EXPECT_TRUE(process.waitForFinished(60000)) << arguments.join(' ').toStdString();
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
  }

  SqliteOdbc sqlite;
  QTemporaryDir config;
  QString database;
};

TEST_F(Program, ListsWithoutADisplayAndLeavesTheSettingsAsTheyWere) {
  const QByteArray before = Settings();
  Finished tables = Run({QStringLiteral("tables"), QStringLiteral("1")});
  EXPECT_EQ(tables.exitCode, 0) << tables.err.toStdString();
  EXPECT_EQ(tables.out, "Orders\n");
  EXPECT_EQ(tables.err, QString());

  // Another database of the same login is given the stored password.
  Finished fields = Run({QStringLiteral("fields"), QStringLiteral("1"), QStringLiteral("Orders"),
                         QStringLiteral("--database1"), database});
  EXPECT_EQ(fields.exitCode, 0) << fields.err.toStdString();
  EXPECT_EQ(fields.out, "ID\nCustomer\n");

  Finished test = Run({QStringLiteral("test"), QStringLiteral("2")});
  EXPECT_EQ(test.exitCode, 3);
  EXPECT_EQ(test.out, QString());
  EXPECT_TRUE(test.err.startsWith("ombrelia: cannot open Database #2, ")) << test.err.toStdString();
  EXPECT_EQ(test.err.count('\n'), 1);

  EXPECT_EQ(Run({QStringLiteral("test"), QStringLiteral("1")}).err, "Connection successful.\n");
  EXPECT_EQ(Run({QStringLiteral("--version")}).out, "ombrelia " OMBRELIA_TEST_VERSION "\n");
  EXPECT_EQ(Run({QStringLiteral("tables")}).exitCode, 2);
  // Without a command there is no window to show: how to use the command line instead.
  Finished bare = Run({});
  EXPECT_EQ(bare.exitCode, 2);
  EXPECT_TRUE(bare.err.startsWith("ombrelia: no display to show the wizard on"))
      << bare.err.toStdString();
  EXPECT_TRUE(bare.err.contains("\nUsage: ombrelia [options] COMMAND [arguments]\n"));
  EXPECT_EQ(Settings(), before);
  EXPECT_EQ(QDir(config.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
            QStringList({"Korvath.ini"}));
}

}  // namespace
