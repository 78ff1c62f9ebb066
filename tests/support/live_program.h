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
