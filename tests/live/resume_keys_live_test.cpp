// The keys a copy of many tables reads for all its tables in one statement are the keys each
// table's run would read alone, whatever the table's key is made of, against a live SQL Server.
// Without a server named by OMBRELIA_TEST_SERVER it skips.

#include <gtest/gtest.h>

#include <QCoreApplication>

#include "append/resume/resume_key.h"
#include "support/live_program.h"

namespace {

const QString kDatabase =
    QStringLiteral("ombrelia_test_keys_%1").arg(QCoreApplication::applicationPid());

struct KeyCase {
  const char* table;                   // as the run names it
  const char* made;                    // the statements that make it; none: no such table
  std::optional<QStringList> columns;  // none: as the server tells (a test server may keep no
                                       // index filter)
};

TEST(ResumeKeysLive, ReadForAllTablesAtOnceTheyAreEachTablesOwn) {
  std::optional<ConnectionProfile> login = LiveProfile(1);
  if (!login) GTEST_SKIP() << kNoLiveServer;
  const LiveDriver driver;
  std::unique_ptr<adodb::Connection> master = ConnectTo(*login, "master");
  MakeFreshDatabases(*master, {kDatabase});
  std::unique_ptr<adodb::Connection> session = ConnectTo(*login, kDatabase);
  session->ExecuteNoRecords("CREATE SCHEMA sales");
  const KeyCase cases[] = {
      {"[dbo].[plain]", "CREATE TABLE plain (id int PRIMARY KEY, v int)", QStringList{"id"}},
      {"[dbo].[composite]",
       "CREATE TABLE composite (a int NOT NULL, b nvarchar(5) NOT NULL, c int, "
       "CONSTRAINT composite_key PRIMARY KEY (b, a))",
       QStringList{"b", "a"}},
      {"[dbo].[unique_only]",
       "CREATE TABLE unique_only (n int NULL UNIQUE, u int NOT NULL, CONSTRAINT u_key UNIQUE (u))",
       QStringList{"u"}},
      {"[dbo].[key_before_unique]",
       "CREATE TABLE key_before_unique (u int NOT NULL UNIQUE, id int NOT NULL PRIMARY KEY)",
       QStringList{"id"}},
      {"[dbo].[filtered]",
       "CREATE TABLE filtered (id int NOT NULL); CREATE UNIQUE INDEX f ON filtered (id) WHERE id > "
       "0",
       {}},
      {"[dbo].[floating]", "CREATE TABLE floating (f float NOT NULL PRIMARY KEY)", QStringList{}},
      {"[dbo].[heap]", "CREATE TABLE heap (a int, b int)", QStringList{}},
      {"[sales].[orders]", "CREATE TABLE sales.orders (no int NOT NULL PRIMARY KEY)",
       QStringList{"no"}},
      {"[dbo].[it's]", "CREATE TABLE [it's] ([key col] int NOT NULL PRIMARY KEY)",
       QStringList{"key col"}},
      {"[dbo].[missing]", nullptr, QStringList{}},
  };
  std::vector<MSSQL::TableName> tables;
  for (const KeyCase& one : cases) {
    if (one.made) {
      for (const QString& statement : QString::fromUtf8(one.made).split(QStringLiteral("; "))) {
        session->ExecuteNoRecords(statement);
      }
    }
    const QStringList parts = QString::fromUtf8(one.table).mid(1).chopped(1).split("].[");
    tables.emplace_back(parts.at(0), parts.at(1));
  }

  const std::vector<append::ResumeKey> together = append::ReadResumeKeys(*session, tables);
  ASSERT_EQ(together.size(), tables.size());
  for (std::size_t at = 0; at < tables.size(); ++at) {
    const append::ResumeKey alone = append::ReadResumeKey(*session, tables[at]);
    EXPECT_EQ(together[at].columns, cases[at].columns.value_or(alone.columns)) << cases[at].table;
    EXPECT_EQ(together[at].columns, alone.columns) << cases[at].table;
    EXPECT_EQ(together[at].why, alone.why) << cases[at].table;
    EXPECT_EQ(together[at].why.isEmpty(), !together[at].columns.isEmpty()) << cases[at].table;
  }
  session.reset();
  DropDatabasesIfFree(*master, {kDatabase});
}

}  // namespace
