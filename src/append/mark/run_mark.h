#pragma once

// One run of the program writes into a table at a time, from one machine or many: a run marks
// its target on the target's server with an application lock its session owns, before anything
// is made, emptied or written, and a second run that finds the mark taken writes nothing. The
// server lets the mark go with the session, so a run cut off (killed, its connection lost) holds
// nothing afterwards. The mark names the table as the server resolves its name, so every
// spelling of one table (with or without its schema, in any case) takes the same mark.

#include <QString>

#include "catalogue/table_name.h"
#include "platform/odbc/adodb.h"

namespace append {

// The statement that takes the mark on `target` in the session's database, giving the lock's
// result, the schema the target's name resolves to (its own for a table not made yet: the one
// named, else the login's default) and the login's default schema. `database` is the one the
// login names, empty when it names none (the session's own is then asked for).
QString RunMarkStatement(const MSSQL::TableName& target, const QString& database);

// The mark of `table` in `schema` of `database`, named in full: the name RunMarkStatement gives
// the server for a table that resolves to that schema.
QString RunMarkName(const QString& database, const QString& schema, const QString& table);

// The statement that takes the mark `name` in `database`, from a session of any database of the
// server; it gives the lock's result alone.
QString NamedRunMarkStatement(const QString& name, const QString& database);

struct RunMark {
  bool taken = false;     // this session holds it now
  int result = 0;         // the server's answer: 0 or 1 taken, below 0 held by another session
  QString schema;         // where the target's name resolves to, when the statement looked
  QString defaultSchema;  // the login's own, when the statement looked
};

// Asked of the target's session; runs where the connection's statements run (on the worker).
RunMark TakeRunMark(adodb::Connection& connection, const MSSQL::TableName& target,
                    const QString& database);

// Asked of any session of the target's server, which holds the mark from then on.
RunMark TakeNamedRunMark(adodb::Connection& connection, const QString& name,
                         const QString& database);

}  // namespace append
