#pragma once

// A database's catalogue, for a set of its tables, as sorted lines of text: every column with
// its type, size, collation, nullability, identity and computed definition, the alias types the
// columns use, every key and index with its columns, order, included columns and filter, the
// checks, defaults, foreign keys and triggers with their state. Two databases that hold the
// same tables give the same lines, so their differences show line by line.

#include <QStringList>
#include <vector>

#include "catalogue/table_name.h"
#include "platform/odbc/adodb.h"

// The lines of `tables` in the connection's database; a table the server does not know gives
// none. Throws the server's error.
QStringList CatalogueSnapshot(adodb::Connection& connection,
                              const std::vector<MSSQL::TableName>& tables);
