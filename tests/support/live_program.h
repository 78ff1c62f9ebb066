#pragma once

// What the live tests that run the program itself share: a table on one side of an append, its
// rows as the server counts and lists them, and the login options that name a side's login.

#include <QStringList>

#include "support/live_append.h"

struct LiveSide {
  ConnectionProfile login;
  QString table;
};

inline QStringList LoginOptions(const ConnectionProfile& profile, int number) {
  const QString n = QString::number(number);
  return {"--server" + n, profile.Server, "--port" + n,     profile.Port,
          "--user" + n,   profile.User,   "--database" + n, profile.Database};
}

inline qint64 Count(const LiveSide& side) {
  return Select(side.login, "SELECT COUNT(*) FROM [" + side.table + "]")
      .at(0)
      .at(0)
      .text.toLongLong();
}

// Every row, a line of its values (NULL spelt out), in the order `order` gives.
inline QString Contents(const LiveSide& side, const QString& order) {
  QStringList rows;
  for (const auto& row :
       Select(side.login, "SELECT * FROM [" + side.table + "] ORDER BY " + order)) {
    QStringList values;
    for (const adodb::Value& value : row) values << (value.IsNull() ? "NULL" : value.text);
    rows << values.join(u',');
  }
  return rows.join(u';');
}

// A session of `profile`'s login on `database`.
inline std::unique_ptr<adodb::Connection> ConnectTo(ConnectionProfile profile,
                                                    const QString& database) {
  profile.Database = database;
  return Connect(profile);
}

// Every row of `table` on `session`, a line of its values, by its first two columns.
inline QString TableRows(adodb::Connection& session, const QString& table) {
  QStringList rows;
  for (const auto& row : ReadRows(*session.Execute("SELECT * FROM " + table + " ORDER BY 1, 2"))) {
    QStringList values;
    for (const adodb::Value& value : row) values << (value.IsNull() ? "NULL" : value.text);
    rows << values.join(u',');
  }
  return rows.join(u';');
}

// Databases of the test's own, made afresh (one an earlier run left is dropped first).
inline void MakeFreshDatabases(adodb::Connection& master, const QStringList& names) {
  for (const QString& database : names) {
    master.ExecuteNoRecords("IF DB_ID(N'" + database + "') IS NOT NULL DROP DATABASE " + database);
    master.ExecuteNoRecords("CREATE DATABASE " + database);
  }
}

// The options of a run from `source` into `target`, two databases of `login`'s server, its
// password given to the program as a script gives it.
inline QStringList LoginsBetween(const ConnectionProfile& login, const QString& source,
                                 const QString& target) {
  ConnectionProfile from = login;
  from.Database = source;
  ConnectionProfile into = login;
  into.Database = target;
  qputenv("OMBRELIA_PASSWORD1", login.Password.toUtf8());
  qputenv("OMBRELIA_PASSWORD2", login.Password.toUtf8());
  return LoginOptions(from, 1) + LoginOptions(into, 2);
}

// Drops the test's databases; one that a killed run's session still holds (the server ends
// such sessions in its own time) is left to be dropped by the next run of the test.
inline void DropDatabasesIfFree(adodb::Connection& master, const QStringList& names) {
  for (const QString& database : names) {
    try {
      master.ExecuteNoRecords("DROP DATABASE " + database);
    } catch (const adodb::Error&) {
    }
  }
}
