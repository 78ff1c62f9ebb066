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

// The statement that takes the mark on `target`, giving the lock's result and the schema the
// target's name resolves to (its own for a table not made yet: the one named, else the login's
// default) and the login's default schema.
QString RunMarkStatement(const MSSQL::TableName& target);

struct RunMark {
  bool taken = false;     // this session holds it now
  int result = 0;         // the server's answer: 0 or 1 taken, below 0 held by another session
  QString schema;         // where the target's name resolves to
  QString defaultSchema;  // the login's own
};

// Asked of the target's session; runs where the connection's statements run (on the worker).
RunMark TakeRunMark(adodb::Connection& connection, const MSSQL::TableName& target);

}  // namespace append
