#pragma once

// The pieces of the statements that make a whole table: a column's definition, a list of key
// columns, a key constraint, and the guarded creation of a schema or an alias type.

#include <QString>
#include <QStringList>
#include <vector>

#include "copy/whole_table.h"

namespace copy {

// "[name] type ...": computed as computed (PERSISTED when so), a rowversion as rowversion, an
// alias type by its name, identity with seed and increment, the collation when it is not the
// database's, and the nullability.
QString ColumnClause(const WholeColumn& column, const QString& databaseCollation);

// "[a] ASC, [b] DESC".
QString KeyList(const std::vector<IndexKey>& keys);

// "[a], [b]".
QString ColumnList(const QStringList& columns);

// "CONSTRAINT [name] PRIMARY KEY NONCLUSTERED ([a] ASC)", or UNIQUE for a unique constraint.
QString KeyConstraintClause(const WholeIndex& key);

// A statement that creates the schema when the database has none of that name.
QString CreateSchemaStatement(const QString& schema);

// A statement that creates the alias type when the database has none of that name.
QString CreateAliasTypeStatement(const AliasType& type);

}  // namespace copy
