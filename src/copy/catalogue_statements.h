#pragma once

// The statements that read whole tables from the catalogue views: the first finds the tables'
// objects, each other reads one kind of object for all the tables at once, given their object
// ids as "12, 34".

#include <QString>
#include <vector>

#include "catalogue/table_name.h"

namespace copy {

// One row a table, in the order given: its position, its object id and schema and name (NULL
// when the server does not know it).
QString TablesStatement(const std::vector<MSSQL::TableName>& tables);

// Each column in order, with its system type and size, collation, nullability, identity with
// seed and increment, computed definition, and its alias type when it has one.
QString ColumnsStatement(const QString& objectIds);

// Each key, unique constraint and index with its key columns in order, then its included ones.
QString IndexesStatement(const QString& objectIds);

QString ChecksStatement(const QString& objectIds);
QString DefaultsStatement(const QString& objectIds);

// Each foreign key, one row a column pair in order, with the referenced table.
QString ForeignKeysStatement(const QString& objectIds);

QString TriggersStatement(const QString& objectIds);

}  // namespace copy
