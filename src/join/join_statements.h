#pragma once

// The Transact-SQL texts of a horizontal join. Names between square brackets have "]" doubled,
// and a name inside N'...' has "'" doubled, so a name without those characters gives the
// statement exactly as the server has always been sent it.

#include <QString>
#include <QStringList>

#include "catalogue/table_name.h"

namespace join_statements {

// Drops a user table of this name if one exists (D, S1, S2).
QString DropIfExists(const QString& table);
// One row: the user table's object, NULL when there is no such table.
QString TableObject(const QString& table);
// One row: the user tables' objects, NULL for a name that has none.
QString TableObjects(const QStringList& tables);
// "[field] AS [alias],..." for the fields of one table and their aliases.
QString SelectList(const QStringList& fields, const QStringList& aliases);
// Copies a source table into a staging table under the aliases (C1, C2).
QString StagingCopy(const QString& selectList, const QString& staging,
                    const MSSQL::TableName& source);
// The full outer join of s_t1 and s_t2 on k1 = k2 into the new table (J).
QString Join(const QString& newTable, const QString& k1, const QString& k2);
// A join column as it stands after "s_t1." or "s_t2.": bare when it is a regular identifier,
// bracketed otherwise.
QString JoinColumn(const QString& alias);

}  // namespace join_statements
