#pragma once

// A table's definition as the server keeps it, for making a table like it: each column's name,
// type and size, nullability and collation, the identity column's seed and increment, and the
// primary key. Computed columns are kept as the type of their values, and a rowversion as the
// eight bytes it holds; no other index, constraint, trigger or permission is read.

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "catalogue/table_name.h"

namespace adodb {
class Connection;
}  // namespace adodb

namespace MSSQL {

struct ColumnDefinition {
  QString name;
  QString type;                     // as the server names it: int, nvarchar, timestamp ...
  std::optional<qint64> maxLength;  // characters or bytes; -1 for max
  std::optional<int> precision;
  std::optional<int> scale;
  std::optional<int> fractionalSeconds;
  bool nullable = true;
  QString collation;  // empty for columns without text
  bool identity = false;
};

struct TableDefinition {
  std::vector<ColumnDefinition> columns;
  QString identitySeed;
  QString identityIncrement;
  QStringList primaryKey;  // its columns, in order
};

// The definition of `table` as the connection's session resolves its name; no columns when the
// server does not know the table.
TableDefinition ReadTableDefinition(adodb::Connection& connection, const TableName& table);

// "CREATE TABLE [t] (...)": the columns in order, each collation the target database would not
// give anyway named, the identity and the primary key.
QString CreateTableStatement(const TableName& table, const TableDefinition& definition,
                             const QString& databaseCollation);

// One row: the object of `table` (NULL when there is none) and the session's database's
// collation.
QString TargetLookStatement(const TableName& table);

}  // namespace MSSQL
