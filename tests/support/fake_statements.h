#pragma once

// The statements the in-memory server runs: exactly the shapes the program sends.
//   SELECT * FROM [t]                    (optionally WHERE 1=0)
//   SELECT COUNT(*) FROM [t]
//   if exists (select * from sysobjects where id = object_id(N'[t]')
//       and OBJECTPROPERTY(id, N'IsUserTable') = 1) drop table [t];
//   SELECT [f] AS [a],[g] AS [b] INTO s_t1 FROM [t]
//   SELECT * INTO [new] FROM s_t1 LEFT JOIN s_t2 ON s_t1.k1=s_t2.k2
//       UNION ALL SELECT * FROM s_t1 RIGHT JOIN s_t2 ON s_t1.k1 = s_t2.k2 WHERE s_t1.k1 Is Null
//   INSERT INTO [t] VALUES('a', N'b', NULL, 0x0A), ('c', N'd', 1, 0x)
//   INSERT INTO [t] SELECT * FROM [otherdb]..[s]
//   INSERT INTO [s].[t] ([a], [b]) VALUES(...)          (any table may name its schema)
//   SET IDENTITY_INSERT [s].[t] ON | OFF
//   SELECT SCHEMA_NAME()                                   (dbo)
//   SELECT ... FROM sys.foreign_keys                       (none)
//   SELECT TOP 0 * FROM [t]
//   SELECT @@SERVERNAME, COLUMNPROPERTY(...) ... and SELECT OBJECT_ID(N'[t]')  (the facts a
//       table was given; a table without them is a syntax error)
// Anything else is a syntax error near its first word.

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "support/fake_catalogue.h"
#include "support/fake_sql_reader.h"

namespace fake {

// What a statement gives back: a row-returning result for a SELECT, nothing for the others.
// A described statement has its columns and is not row-returning: it fetches nothing.
struct Result {
  bool returnsRows = false;
  QStringList columns;
  std::vector<Row> rows;
  QStringList types;    // the columns' type names, where the table was given its facts
  qint64 changed = -1;  // the rows an INSERT wrote, as a driver counts them
};

// Finds another database of the same server, for statements that reach across databases.
using DatabaseNamed = std::function<Database&(const QString& name)>;

Result RunStatement(Database& database, const QString& statement,
                    const DatabaseNamed& databaseNamed = {});

// SELECT SCHEMA_NAME() and the column facts query; false when the statement is neither.
bool RunCatalogueQuery(Database& database, const QString& statement, Result& result);

// A table's name, with its schema when it is written "[schema].[name]".
QualifiedName TakeTableName(SqlReader& sql);

// The join statement (the full outer join of two tables into a new one).
Result RunFullOuterJoin(Database& database, SqlReader& sql);

// Checks shared by the statements that read or create tables.
const Table& ExistingObject(const Database& database, const QString& name);
void RequireFreeName(const Database& database, const QString& name);
void RequireUniqueColumns(const QStringList& columns, const QString& table);

}  // namespace fake
