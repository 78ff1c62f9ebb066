#pragma once

// What the live append tests share: connections to the live server, tables of the test's own
// there, both logins, and one run of the append engine (see live_server.h).

#include <gtest/gtest.h>

#include <QUuid>
#include <clocale>
#include <memory>
#include <optional>
#include <vector>

#include "append/engine/append_engine.h"
#include "append/page/append_progress.h"
#include "controls/progress_bar.h"
#include "platform/odbc/adodb.h"
#include "shell/page.h"
#include "support/live_server.h"
#include "support/read_rows.h"

using Rows = std::vector<std::vector<adodb::Value>>;

inline std::unique_ptr<adodb::Connection> Connect(const ConnectionProfile& profile) {
  std::unique_ptr<adodb::Connection> connection = adodb::CreateOdbcConnection();
  connection->Open(BuildConnectionString(profile));
  return connection;
}

inline Rows Select(const ConnectionProfile& profile, const QString& sql) {
  std::unique_ptr<adodb::Connection> connection = Connect(profile);
  return ReadRows(*connection->Execute(sql));
}

// A table of the test's own on the live server, dropped when the test ends.
class LiveTable {
 public:
  LiveTable(ConnectionProfile profile, const QString& columns)
      : LiveTable(std::move(profile), UniqueName(), columns) {}
  // A table of a name the test chose: the same name in both databases.
  LiveTable(ConnectionProfile profile, QString name, const QString& columns)
      : profile_(std::move(profile)), name_(std::move(name)) {
    Connect(profile_)->Execute("CREATE TABLE [" + name_ + "] (" + columns + ")");
  }
  static QString UniqueName() {
    return "ombrelia_test_" + QUuid::createUuid().toString(QUuid::Id128).left(12);
  }
  ~LiveTable() {
    try {
      Connect(profile_)->Execute("DROP TABLE [" + name_ + "]");
    } catch (const adodb::Error& error) {
      ADD_FAILURE() << "could not drop " << name_.toStdString() << ": "
                    << error.Description().toStdString();
    }
  }
  const QString& Name() const { return name_; }
  void Execute(const QString& sql) const { Connect(profile_)->Execute(sql); }
  Rows Contents(const QString& order) const {
    return Select(profile_, "SELECT * FROM [" + name_ + "] ORDER BY " + order);
  }

 private:
  ConnectionProfile profile_;
  QString name_;
};

// Both logins of the live server, reached through the machine's driver; without a server, or
// without the locale the run asks for, the test is skipped.
class LiveAppend : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::optional<ConnectionProfile> one = LiveProfile(1);
    const std::optional<ConnectionProfile> two = LiveProfile(2);
    if (!one || !two) GTEST_SKIP() << kNoLiveServer;
    const QString wanted = qEnvironmentVariable("LC_ALL");
    const QString active = QString::fromLatin1(std::setlocale(LC_CTYPE, nullptr));
    if (!wanted.isEmpty() && !active.startsWith(wanted.left(5))) {
      GTEST_SKIP() << "the locale " << wanted.toStdString() << " is not installed on this machine";
    }
    profile1 = *one;
    profile2 = *two;
    driver_.emplace();
  }

  ConnectionProfile profile1;
  ConnectionProfile profile2;

 private:
  std::optional<LiveDriver> driver_;
};

inline append::AppendEngine::Outcome RunAppend(const ConnectionProfile& profile1,
                                               const ConnectionProfile& profile2,
                                               const QString& table1, const QString& table2,
                                               bool toDatabase1, bool fast = false,
                                               bool create = false) {
  shell::Page page;
  ProgressBar bar;
  append::AppendProgress progress(page, bar);
  append::AppendEngine engine({table1, table2, toDatabase1, profile1, profile2, fast, create},
                              progress);
  engine.Run();
  return engine.Result();
}
