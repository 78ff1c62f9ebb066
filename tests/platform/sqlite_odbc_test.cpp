// The test fixture itself: the private registry is the one the driver manager reads.

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>

#include "odbc_fixture.h"

using adodb::Value;

TEST(SqliteOdbcRegistry, PointsTheDriverManagerAtAPrivateOdbcinstIni) {
  ASSERT_FALSE(SqliteOdbc::DriverLibrary().isEmpty()) << "libsqliteodbc is not installed";
  EXPECT_TRUE(QFileInfo(SqliteOdbc::DriverLibrary()).isFile());
  EXPECT_EQ(qEnvironmentVariable("ODBCSYSINI"), SqliteOdbc::RegistryFolder());
  EXPECT_EQ(qEnvironmentVariable("ODBCINSTINI"), QStringLiteral("odbcinst.ini"));
  QFile registry(SqliteOdbc::RegistryFolder() + QStringLiteral("/odbcinst.ini"));
  ASSERT_TRUE(registry.open(QIODevice::ReadOnly));
  const QString text = QString::fromUtf8(registry.readAll());
  EXPECT_TRUE(text.startsWith(QStringLiteral("[SQL Server]\n")));
  EXPECT_TRUE(text.contains(QStringLiteral("Driver=") + SqliteOdbc::DriverLibrary()));
}

TEST_F(OdbcTest, DriverNamedSqlServerIsSqlite) {
  // FreeTDS, the machine's "SQL Server", could not reach the host "sqlite-host" at all.
  EXPECT_EQ(SqliteOdbc::ConnectionString(database_),
            QStringLiteral("Driver={SQL Server};Server=sqlite-host,1433;Database=") + database_ +
                QStringLiteral(";Uid=tester;Pwd=secret;"));
  const Value version = SelectOne(QStringLiteral("SELECT sqlite_version()"));
  EXPECT_TRUE(version.text.startsWith(QStringLiteral("3."))) << version.text.toStdString();
}

TEST_F(OdbcTest, NewDatabaseIsAnEmptyFileThatExecFills) {
  EXPECT_TRUE(QFileInfo(database_).isFile());
  EXPECT_EQ(QFileInfo(database_).size(), 0);
  Exec(QStringLiteral("CREATE TABLE T (a TEXT)"));
  Exec(QStringLiteral("INSERT INTO T VALUES('x')"));
  EXPECT_EQ(SelectOne(QStringLiteral("SELECT a FROM T")), Value::Text(QStringLiteral("x")));
  const QString other = sqlite_.NewDatabase(QStringLiteral("other.db"));
  EXPECT_NE(other, database_);
  EXPECT_TRUE(other.startsWith(sqlite_.Folder()));
}
