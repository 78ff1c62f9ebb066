#pragma once

// The statements of a script sent to the target one by one: a statement the server refuses is
// kept with the server's reason, and the next ones are sent all the same.

#include <QString>
#include <QStringList>
#include <vector>

#include "catalogue/table_name.h"

namespace adodb {
class Connection;
}  // namespace adodb

namespace copy {

struct Refusal {
  QString statement;
  QString reason;  // the server's own text
};

// Throws only when the connection is lost; the server's refusals are given back.
std::vector<Refusal> SendEach(adodb::Connection& target, const QStringList& statements);

// Whether the connection's database has a table of that name, as its session resolves it.
bool TableIsThere(adodb::Connection& connection, const MSSQL::TableName& table);

}  // namespace copy
