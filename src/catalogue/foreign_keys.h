#pragma once

// The foreign keys between a database's tables, and an order of tables in which each comes
// after the tables it references, so that appending them in that order never writes a row
// before the row it points to.

#include <QStringList>
#include <optional>
#include <vector>

#include "catalogue/table_name.h"
#include "platform/odbc/adodb.h"

namespace MSSQL {

// `child` has a foreign key that references `parent`; both named with their schema.
struct ForeignKey {
  TableName child;
  TableName parent;
};

// Every foreign key of the connection's database, as the server lists them; throws the
// server's error when it cannot list them.
std::vector<ForeignKey> ReadForeignKeys(adodb::Connection& connection);

// The other tables whose foreign keys reference `table`, as "schema.name": the tables that would
// lose the rows they point to if `table` were emptied. Throws the server's error.
QStringList TablesReferencing(adodb::Connection& connection, const TableName& table);

// `tables` with each after the tables it references through `keys`, otherwise in the order
// given. When the keys go round in a cycle there is no such order: the empty optional, and
// `cycle` names the tables that reference one another.
std::optional<std::vector<TableName>> ReferencedFirst(const std::vector<TableName>& tables,
                                                      const std::vector<ForeignKey>& keys,
                                                      QStringList& cycle);

}  // namespace MSSQL
