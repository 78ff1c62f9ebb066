#pragma once

// What the server's catalogue says of a table's columns: the schema the table is found in, and
// for each column in order its name, type, nullability, and whether the server fills it itself
// (identity, computed, rowversion). One query a table; no data row is read.

#include <QString>
#include <vector>

namespace adodb {
class Connection;
}

namespace MSSQL {

struct ColumnFacts {
  QString name;
  QString type;  // as the catalogue names it: int, nvarchar, datetime2, timestamp ...
  bool nullable = true;
  bool identity = false;
  bool computed = false;
  bool rowversion = false;

  // A value can be given for the column in an INSERT (an identity column only with
  // IDENTITY_INSERT on).
  bool Writable() const { return !computed && !rowversion; }
};

struct TableFacts {
  QString schema;
  std::vector<ColumnFacts> columns;

  bool HasIdentity() const;
};

// The query for a table of `schema`, or of the login's default schema when `schema` is empty.
QString ColumnFactsStatement(const QString& schema, const QString& table);

// Facts of a table; a table the catalogue does not know has no columns and no schema.
TableFacts ReadColumnFacts(adodb::Connection& connection, const QString& schema,
                           const QString& table);

}  // namespace MSSQL
