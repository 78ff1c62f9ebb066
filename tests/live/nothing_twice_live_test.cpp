// Nothing lost, nothing twice, against a live SQL Server, the program run as a user runs it: a
// run refused at a check empties nothing; a plain run after a cut one is asked about, and
// refused without a terminal; a resume that fails before its first row keeps the cut run's
// journal; the journal is found whatever names the table; a condition ending in a comment
// cannot reach the key order; source rows left below the key are said and make the run
// incomplete; the key's values stay out of --verbose; a table that references itself gets every
// row one INSERT at a time; and one run into a target at a time, on every way. Without a server
// named by OMBRELIA_TEST_SERVER it skips.

#include <gtest/gtest.h>

#include <QProcess>
#include <csignal>
#include <functional>

#include "append/mark/run_mark.h"
#include "support/live_program.h"

namespace {

using Side = LiveSide;

QString Contents(const Side& side) {
  return Contents(side, "1, 2");
}

// Enough rows, one INSERT a row, that a run is still writing when the test, counting on a
// session kept open, stops it: with fewer, a loaded machine let runs end before the stop came.
constexpr int kCutRows = 800;

struct Case {
  const char* name;
  std::function<void()> check;
};

struct Ran {
  int code = -1;
  QString out;  // both outputs
};

class NothingTwiceLive : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::optional<ConnectionProfile> one = LiveProfile(1);
    const std::optional<ConnectionProfile> two = LiveProfile(2);
    if (!one || !two) GTEST_SKIP() << kNoLiveServer;
    driver_ = std::make_unique<LiveDriver>();  // until the tables are dropped
    // The same name in both databases: the many tables' run pairs tables by name.
    const QString name = LiveTable::UniqueName();
    source_ = {*one, name};
    target_ = {*two, name};
    qputenv("OMBRELIA_PASSWORD1", one->Password.toUtf8());
    qputenv("OMBRELIA_PASSWORD2", two->Password.toUtf8());
  }
  void TearDown() override {
    for (const Side* side : {&source_, &target_}) {
      if (!side->table.isEmpty()) {
        Connect(side->login)->ExecuteNoRecords("DROP TABLE IF EXISTS [" + side->table + "]");
      }
    }
  }

  // A keyed source of `rows` rows whose v reads as a number, and a target without a key, so
  // that a row written twice shows.
  void MakeTables(int rows, const QString& targetColumns = "id int NOT NULL, v nvarchar(20)") {
    TearDown();
    Connect(source_.login)
        ->ExecuteNoRecords("CREATE TABLE [" + source_.table +
                           "] (id int NOT NULL PRIMARY KEY, v nvarchar(20))");
    Connect(source_.login)
        ->ExecuteNoRecords(QStringLiteral("INSERT INTO [%1] SELECT g, CAST(g AS nvarchar(20)) "
                                          "FROM generate_series(1, %2) g")
                               .arg(source_.table)
                               .arg(rows));
    Connect(target_.login)
        ->ExecuteNoRecords("CREATE TABLE [" + target_.table + "] (" + targetColumns + ")");
  }

  QStringList Arguments(const QStringList& more, const QStringList& tables) const {
    return QStringList{"append", "--to", "2"} + tables + LoginOptions(source_.login, 1) +
           LoginOptions(target_.login, 2) + more;
  }
  QStringList BothTables() const { return {source_.table, target_.table}; }

  // The pair of tables named, or with `tables` given (none for a run of many), those.
  Ran Run(const QStringList& more, const std::optional<QStringList>& tables = std::nullopt) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(OMBRELIA_PROGRAM, Arguments(more, tables.value_or(BothTables())));
    process.waitForFinished(120000);
    return {process.exitCode(), QString::fromUtf8(process.readAll())};
  }

  // Started, then stopped with Ctrl-C once the target holds 40 rows or more.
  void RunAndStop(const QStringList& more,
                  const std::optional<QStringList>& tables = std::nullopt) {
    constexpr qint64 kAfter = 40;
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(OMBRELIA_PROGRAM, Arguments(more, tables.value_or(BothTables())));
    ASSERT_TRUE(process.waitForStarted());
    const std::unique_ptr<adodb::Connection> counter = Connect(target_.login);
    const QString count = "SELECT COUNT(*) FROM [" + target_.table + "]";
    while (ReadRows(*counter->Execute(count)).at(0).at(0).text.toLongLong() < kAfter &&
           !process.waitForFinished(20)) {
    }
    ASSERT_EQ(process.state(), QProcess::Running) << "the run ended before it could be cut:\n"
                                                  << process.readAll().toStdString();
    ::kill(static_cast<pid_t>(process.processId()), SIGINT);
    process.waitForFinished(120000);
    const std::string said = process.readAll().toStdString();
    EXPECT_NE(process.exitCode(), 0) << said;
    ASSERT_LT(Count(target_), Count(source_)) << said;
  }

  std::vector<Case> Cases();
  void RunCases(std::initializer_list<std::size_t> which);

  std::unique_ptr<LiveDriver> driver_;
  Side source_;
  Side target_;
};

void Says(const Ran& ran, const QString& words) {
  EXPECT_TRUE(ran.out.contains(words)) << "expected: " << words.toStdString() << "\nsaid:\n"
                                       << ran.out.toStdString();
}

}  // namespace

// The cases share their setup; each test runs some of them, so that each stays well inside its
// time on a loaded machine.
std::vector<Case> NothingTwiceLive::Cases() {
  const QStringList oneByOne{"--one-by-one"};
  return {
      {"a run refused at a check empties nothing, nor does its dry run",
       [this, oneByOne] {
         MakeTables(5, "id int NOT NULL, v nvarchar(20), extra int");
         Connect(target_.login)
             ->ExecuteNoRecords("INSERT INTO [" + target_.table +
                                "] SELECT g, N'theirs', g FROM generate_series(1, 5) g");
         for (const QStringList& more :
              {QStringList{"--truncate", "--yes"}, QStringList{"--truncate", "--yes", "--dry-run"},
               QStringList{"--truncate", "--yes", "--tables", source_.table}}) {
           const Ran ran =
               Run(more, more.contains("--tables") ? std::optional<QStringList>(QStringList{})
                                                   : std::nullopt);
           EXPECT_EQ(ran.code, 1) << ran.out.toStdString();
           Says(ran, "Tables do not have same number of fields");
           EXPECT_EQ(Count(target_), 5);
         }
       }},
      {"a plain run after a cut one asks, and is refused without a terminal",
       [this, oneByOne] {
         MakeTables(kCutRows);
         RunAndStop(oneByOne);
         const qint64 cutAt = Count(target_);
         const Ran plain = Run(oneByOne);
         EXPECT_EQ(plain.code, 1);
         Says(plain,
              "No terminal to answer on: refused. --resume goes on from there, "
              "--start-over starts anew.");
         EXPECT_EQ(Count(target_), cutAt);
         const Ran resumed = Run(oneByOne + QStringList{"--resume"});
         EXPECT_EQ(resumed.code, 0) << resumed.out.toStdString();
         EXPECT_TRUE(Contents(target_) == Contents(source_)) << Count(target_) << " rows";
       }},
      {"a resume that fails before its first row keeps the cut run's journal",
       [this, oneByOne] {
         MakeTables(kCutRows);
         const QStringList where{"--where", "CAST(v AS int) > 0"};
         RunAndStop(oneByOne + where);
         Connect(source_.login)
             ->ExecuteNoRecords("UPDATE [" + source_.table + "] SET v = N'x' WHERE id = 299");
         const Ran failed = Run(oneByOne + where + QStringList{"--resume"});
         EXPECT_EQ(failed.code, 1) << failed.out.toStdString();
         Connect(source_.login)
             ->ExecuteNoRecords("UPDATE [" + source_.table + "] SET v = N'299' WHERE id = 299");
         const Ran resumed = Run(oneByOne + where + QStringList{"--resume"});
         EXPECT_EQ(resumed.code, 0) << resumed.out.toStdString();
         EXPECT_TRUE(Contents(target_) == Contents(source_)) << Count(target_) << " rows";
       }},
      {"a table cut inside a run of many goes on alone, named without schema in other case",
       [this, oneByOne] {
         MakeTables(kCutRows);
         RunAndStop(oneByOne + QStringList{"--tables", source_.table}, QStringList{});
         const Ran resumed =
             Run(oneByOne + QStringList{"--resume"},
                 QStringList{source_.table.toUpper(), "dbo." + target_.table.toUpper()});
         EXPECT_EQ(resumed.code, 0) << resumed.out.toStdString();
         EXPECT_TRUE(Contents(target_) == Contents(source_)) << Count(target_) << " rows";
       }},
      {"a condition ending in a comment keeps the key order; the key stays out of --verbose",
       [this, oneByOne] {
         MakeTables(kCutRows);
         const Ran unbalanced = Run({"--where", "id > 0) OR (1 = 1"});
         EXPECT_EQ(unbalanced.code, 2);
         Says(unbalanced, "--where takes a search condition that stands alone");
         const QStringList where{"--where", "id > 0 -- every row"};
         RunAndStop(oneByOne + where);
         const Ran resumed = Run(oneByOne + where + QStringList{"--resume", "--verbose"});
         EXPECT_EQ(resumed.code, 0) << resumed.out.toStdString();
         EXPECT_TRUE(Contents(target_) == Contents(source_)) << Count(target_) << " rows";
         Says(resumed, "(after the key's values, left out)");
         EXPECT_FALSE(resumed.out.contains("[id] >")) << resumed.out.toStdString();
       }},
      {"source rows below the key a resume goes on after are said, and it is not complete",
       [this, oneByOne] {
         MakeTables(kCutRows);
         RunAndStop(oneByOne);
         Connect(source_.login)
             ->ExecuteNoRecords("INSERT INTO [" + source_.table + "] VALUES (-1, N'-1')");
         const Ran resumed = Run(oneByOne + QStringList{"--resume"});
         EXPECT_EQ(resumed.code, 1) << resumed.out.toStdString();
         Says(resumed, "1 row of " + source_.table);
         Says(resumed, "this append is not complete");
         EXPECT_EQ(Count(target_), kCutRows);
       }},
      {"a table that references itself gets every row one INSERT at a time",
       [this, oneByOne] {
         TearDown();
         const QString columns = "id int NOT NULL PRIMARY KEY, parent int NULL";
         Connect(source_.login)
             ->ExecuteNoRecords("CREATE TABLE [" + source_.table + "] (" + columns + ")");
         Connect(source_.login)
             ->ExecuteNoRecords("INSERT INTO [" + source_.table +
                                "] SELECT g, CASE WHEN g < 100 THEN g + 1 END "
                                "FROM generate_series(1, 100) g");
         Connect(target_.login)
             ->ExecuteNoRecords("CREATE TABLE [" + target_.table + "] (" + columns +
                                " REFERENCES [" + target_.table + "] (id))");
         const Ran dry = Run(oneByOne + QStringList{"--dry-run"});
         Says(dry, "The target references itself");
         const Ran ran = Run(oneByOne);
         EXPECT_EQ(ran.code, 0) << ran.out.toStdString();
         EXPECT_TRUE(Contents(target_) == Contents(source_)) << Count(target_) << " rows";
       }},
  };
}

void NothingTwiceLive::RunCases(std::initializer_list<std::size_t> which) {
  const std::vector<Case> cases = Cases();
  for (const std::size_t at : which) {
    SCOPED_TRACE(cases.at(at).name);
    cases.at(at).check();
  }
}

TEST_F(NothingTwiceLive, RefusedRunsChangeNothing) {
  RunCases({0, 1, 6});
}

TEST_F(NothingTwiceLive, ResumesThatFailOrNameTheTableOtherwiseGoOnExactly) {
  RunCases({2, 3});
}

TEST_F(NothingTwiceLive, ConditionsKeepTheKeyOrderAndRowsLeftBehindAreSaid) {
  RunCases({4, 5});
}

// A second run into a target that a run writes into now is refused with the reason, on every
// way and for one table and many; the run under way ends with exactly the source's rows.
TEST_F(NothingTwiceLive, OneRunIntoATargetAtATime) {
  // Large enough that the first of two runs is still writing when the second begins.
  MakeTables(3000);
  {
    // The mark a run under way holds, taken as it takes it.
    const std::unique_ptr<adodb::Connection> holder = Connect(target_.login);
    ASSERT_TRUE(
        append::TakeRunMark(*holder, MSSQL::TableName(target_.table), target_.login.Database)
            .taken);
    struct Way {
      const char* name;
      QStringList options;
      bool many;
    };
    const std::vector<Way> ways{{"one INSERT a row", {"--one-by-one"}, false},
                                {"the server's own copy", {}, false},
                                {"many tables", {"--tables", source_.table}, true},
                                {"a dry run", {"--dry-run"}, false}};
    for (const Way& way : ways) {
      SCOPED_TRACE(way.name);
      const Ran ran =
          Run(way.options, way.many ? std::optional<QStringList>(QStringList{}) : std::nullopt);
      EXPECT_EQ(ran.code, 1) << ran.out.toStdString();
      Says(ran, "another run of this program is writing into");
      EXPECT_EQ(Count(target_), 0);
    }
  }
  // Two programs at once: the second finds the first's mark.
  QProcess first;
  first.start(OMBRELIA_PROGRAM, Arguments({"--one-by-one"}, BothTables()));
  ASSERT_TRUE(first.waitForStarted());
  while (Count(target_) == 0 && !first.waitForFinished(20)) {
  }
  ASSERT_EQ(first.state(), QProcess::Running) << "the first run ended before the second began";
  const Ran second = Run({});
  EXPECT_EQ(second.code, 1) << second.out.toStdString();
  Says(second, "another run of this program is writing into");
  first.waitForFinished(120000);
  EXPECT_EQ(first.exitCode(), 0) << first.readAllStandardError().toStdString();
  EXPECT_TRUE(Contents(target_) == Contents(source_)) << Count(target_) << " rows";
}
