// A copy of tables of every kind of object, the program run as a user runs it against a live
// SQL Server: --create makes each table whole within one server and across two, empty tables
// included, and the catalogues then compare object by object and the rows row by row; on one
// server a table with an identity goes by the server's own copy, its values kept; the dry run's
// script, run by hand on an empty database, makes the same catalogue as the run; a foreign key
// that the copied rows break is named with the server's reason, and the table is not complete.
// Without a server named by OMBRELIA_TEST_SERVER it skips.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>

#include "cli/cli_run.h"
#include "support/catalogue_snapshot.h"
#include "support/every_object_schema.h"
#include "support/live_server.h"
#include "support/read_rows.h"
#include "support/scripted_terminal.h"
#include "support/temp_settings.h"

namespace {

using MSSQL::TableName;

QString DatabaseName(const char* role) {
  return QStringLiteral("ombrelia_test_whole_%1_%2")
      .arg(QString::fromLatin1(role))
      .arg(QCoreApplication::applicationPid());
}

// Databases of the test's own on one server, dropped at the end.
class Databases {
 public:
  Databases(ConnectionProfile login, QStringList names)
      : login_(std::move(login)), names_(std::move(names)) {
    master_ = Open("master");
    for (const QString& name : names_) {
      master_->ExecuteNoRecords("IF DB_ID(N'" + name + "') IS NOT NULL DROP DATABASE " + name);
      master_->ExecuteNoRecords("CREATE DATABASE " + name);
    }
  }
  ~Databases() {
    for (const QString& name : names_) {
      try {
        master_->ExecuteNoRecords("DROP DATABASE " + name);
      } catch (const adodb::Error&) {
        // a session the server still winds down keeps it: left to the throw-away server
      }
    }
  }
  std::unique_ptr<adodb::Connection> Open(const QString& database) const {
    std::unique_ptr<adodb::Connection> connection = Connect(Login(database));
    return connection;
  }
  ConnectionProfile Login(const QString& database) const {
    ConnectionProfile profile = login_;
    profile.Database = database;
    return profile;
  }

 private:
  ConnectionProfile login_;
  QStringList names_;
  std::unique_ptr<adodb::Connection> master_;
};

QString Rows(adodb::Connection& connection, const Names& n, const TableName& table) {
  QStringList text;
  for (const auto& row : ReadRows(*connection.Execute("SELECT " + KeptColumns(n, table) + " FROM " +
                                                      table.Bracketed() + " ORDER BY 1, 2"))) {
    QStringList values;
    for (const adodb::Value& value : row) values << (value.IsNull() ? "NULL" : value.text);
    text << values.join(u',');
  }
  return text.join(u';');
}

// The JSON objects of a run's tables, by the table's name.
std::map<QString, QJsonObject> JsonByTable(const CliRun& run) {
  std::map<QString, QJsonObject> objects;
  for (const QString& line : run.Lines()) {
    const QJsonObject object = QJsonDocument::fromJson(line.toUtf8()).object();
    objects[object.value("source").toString().section(u'.', -1).toLower()] = object;
  }
  return objects;
}

class WholeCopyLive : public ::testing::Test {
 protected:
  void SetUp() override {
    login_ = LiveProfile(1);
    if (!login_) GTEST_SKIP() << kNoLiveServer;
    qputenv("OMBRELIA_PASSWORD1", login_->Password.toUtf8());
    qputenv("OMBRELIA_PASSWORD2", login_->Password.toUtf8());
  }
  void TearDown() override {
    qunsetenv("OMBRELIA_PASSWORD1");
    qunsetenv("OMBRELIA_PASSWORD2");
  }

  CliRun Copy(const ConnectionProfile& from, const ConnectionProfile& into,
              const QStringList& more) const {
    return RunCli(QStringList{"append", "--to", "2", "--create"} + more + LoginOptions(from, 1) +
                  LoginOptions(into, 2));
  }
  static QStringList LoginOptions(const ConnectionProfile& profile, int number) {
    const QString n = QString::number(number);
    return {"--server" + n, profile.Server, "--port" + n,     profile.Port,
            "--user" + n,   profile.User,   "--database" + n, profile.Database};
  }

  // The target's catalogue and rows against the source's, object by object and row by row.
  void ExpectTheSame(adodb::Connection& source, adodb::Connection& target) const {
    const std::vector<TableName> tables = Tables(n_);
    const QStringList from = Comparable(CatalogueSnapshot(source, tables), n_);
    const QStringList into = Comparable(CatalogueSnapshot(target, tables), n_);
    for (const QString& line : from) {
      if (!into.contains(line)) ADD_FAILURE() << "only in the source: " << line.toStdString();
    }
    for (const QString& line : into) {
      if (!from.contains(line)) ADD_FAILURE() << "only in the target: " << line.toStdString();
    }
    for (const TableName& table : tables) {
      EXPECT_EQ(Rows(target, n_, table), Rows(source, n_, table)) << table.Display().toStdString();
    }
  }

  // The schema of every kind of object, with its rows, in the source's database of its own.
  void MakeSource(adodb::Connection& source) const {
    // The test server makes no rowversion column on the program's sessions: none is copied there.
    for (const QString& statement :
         SourceStatements(n_, !MakesNoRowversion(source)) + RowStatements(n_)) {
      source.ExecuteNoRecords(statement);
    }
  }

  // The source's database holds these tables alone: --all copies them.
  const QStringList all_{"--all", "--json"};
  std::optional<ConnectionProfile> login_;
  const Names n_;
  const LiveDriver driver_;
  const TempSettings settings_;
  const ScriptedTerminal nobody_{false};
};

TEST_F(WholeCopyLive, EveryKindOfObjectOnOneServerTheDryRunsScriptAndABrokenForeignKey) {
  const QString source = DatabaseName("src");
  const QString target = DatabaseName("dst");
  const QString scripted = DatabaseName("script");
  const Databases one(*login_, {source, target, scripted});
  const std::unique_ptr<adodb::Connection> from = one.Open(source);
  MakeSource(*from);

  // Within one server: every table made whole, the identity's by the server's own copy.
  const CliRun within = Copy(one.Login(source), one.Login(target), all_);
  EXPECT_EQ(within.exitCode, cli::kDone) << within.err.toStdString();
  std::map<QString, QJsonObject> tables = JsonByTable(within);
  const QJsonObject identity = tables[n_.customers.name.toLower()];
  EXPECT_EQ(identity.value("way").toString(), "server-copy") << within.out.toStdString();
  EXPECT_TRUE(identity.value("made").toBool());
  EXPECT_EQ(tables[n_.empty.name.toLower()].value("outcome").toString(), "done");
  const std::unique_ptr<adodb::Connection> into = one.Open(target);
  ExpectTheSame(*from, *into);

  // The dry run's script, run by hand on an empty database, makes what the run made.
  const CliRun dry = Copy(one.Login(source), one.Login(scripted), {"--all", "--dry-run"});
  EXPECT_EQ(dry.exitCode, cli::kDone) << dry.err.toStdString();
  const std::unique_ptr<adodb::Connection> byHand = one.Open(scripted);
  for (const QString& statement : DryRunScript(dry.out)) {
    try {
      byHand->ExecuteNoRecords(statement);
    } catch (const adodb::Error& error) {
      ADD_FAILURE() << statement.toStdString() << "\n  " << error.Description().toStdString();
    }
  }
  {
    const std::vector<TableName> made = Tables(n_);
    EXPECT_EQ(Comparable(CatalogueSnapshot(*byHand, made), n_),
              Comparable(CatalogueSnapshot(*into, made), n_));
  }

  // The orders alone into a database whose customers are there without their rows: the copied
  // rows break the foreign key, which is named with the server's reason.
  byHand->ExecuteNoRecords("DROP TABLE " + n_.orders.Bracketed());
  const CliRun broken =
      Copy(one.Login(source), one.Login(scripted), {"--tables", n_.orders.Display(), "--json"});
  EXPECT_EQ(broken.exitCode, cli::kRefused) << broken.err.toStdString();
  EXPECT_TRUE(broken.err.contains("FK_Ord_Cust_" + n_.tag, Qt::CaseInsensitive))
      << broken.err.toStdString();
  EXPECT_EQ(JsonByTable(broken)[n_.orders.name.toLower()].value("outcome").toString(), "incomplete")
      << broken.out.toStdString();

  EXPECT_TRUE(nobody_.Prompts().isEmpty());
}

TEST_F(WholeCopyLive, EveryKindOfObjectAcrossTwoServers) {
  ConnectionProfile second = *login_;
  second.Port = qEnvironmentVariable("OMBRELIA_TEST_SECOND_PORT");
  if (second.Port.isEmpty()) {
    ADD_FAILURE() << "set OMBRELIA_TEST_SECOND_PORT to a second T-SQL server's port to test a "
                     "copy across two servers";
    return;
  }
  const QString source = DatabaseName("src");
  const QString far = DatabaseName("far");
  const Databases one(*login_, {source});
  const Databases two(second, {far});
  const std::unique_ptr<adodb::Connection> from = one.Open(source);
  MakeSource(*from);
  const CliRun across = Copy(one.Login(source), two.Login(far), all_);
  EXPECT_EQ(across.exitCode, cli::kDone) << across.err.toStdString();
  EXPECT_EQ(JsonByTable(across)[n_.customers.name.toLower()].value("way").toString(), "batches");
  ExpectTheSame(*from, *two.Open(far));
  EXPECT_TRUE(nobody_.Prompts().isEmpty());
}

}  // namespace
