#pragma once

// What the server says of a table: which server and database it lives in, its object, and for
// each column in order its name, type, and whether the server fills it itself (identity,
// computed, rowversion). Two short round trips that read no row of the table, cheap on every
// server: the table's columns, and one row of server functions.

#include <QString>
#include <optional>
#include <vector>

#include "catalogue/table_name.h"

namespace adodb {
class Connection;
class Recordset;
}  // namespace adodb

namespace MSSQL {

struct ColumnFacts {
  QString name;
  QString type;  // as the server names it: int, nvarchar, datetime2, timestamp ...
  bool identity = false;
  bool computed = false;
  bool rowversion = false;

  // A value can be given for the column in an INSERT (an identity column only with
  // IDENTITY_INSERT on).
  bool Writable() const { return !computed && !rowversion; }
};

struct TableFacts {
  int fieldCount = 0;  // the fields of "SELECT * FROM [t]"
  // What the server told; all empty on a server without the functions (not SQL Server).
  QString server;    // @@SERVERNAME
  QString database;  // the session's database
  QString schema;    // the schema the session resolves the table's name to
  QString objectId;  // OBJECT_ID of the table, once asked for (ReadObjectId)
  std::vector<ColumnFacts> columns;
  bool fillsKnown = false;     // the columns' identity and computed flags were read
  std::optional<qint64> rows;  // the table's rows as the facts were read, when they were counted

  bool HasIdentity() const;
  // Both are the same table of the same database of the same server, as the servers say.
  bool SameTableAs(const TableFacts& other) const;
};

// "SELECT TOP 0 * FROM [t]": the table's columns, no row.
QString TableColumnsStatement(const TableName& table);
// One row: the server's name, the schema the table's name resolves to, and whether each of
// `columns` is an identity column and whether it is computed; with `count`, the table's rows
// last. Without `schema`, NULL stands for the schema: looking the name up costs a server's new
// session more than the rest.
QString ColumnFactsStatement(const TableName& table, const std::vector<QString>& columns,
                             bool count = false, bool schema = true);
// "SELECT OBJECT_ID(N'[t]')".
QString ObjectIdStatement(const TableName& table);

// Facts of a table; `fills` asks also which columns the server fills itself. A table the
// server cannot read fails as its SELECT does; a server without the functions leaves
// everything but the field count and names unknown. `count` asks for the table's rows in the
// same statement (left unknown where the server refuses that); without `schema` the schema the
// name resolves to is left unknown.
TableFacts ReadColumnFacts(adodb::Connection& connection, const TableName& table, bool fills = true,
                           bool count = false, bool schema = true);
// The field count and the columns of "SELECT TOP 0 * FROM <from>" (a table of another database
// of the session's server, say), nothing else: the server, the database and the fills stay
// unknown. Fails as the SELECT does.
TableFacts ReadColumnsOnly(adodb::Connection& connection, const QString& from);
// The columns' identity and computed flags of facts read without them.
void ReadFills(adodb::Connection& connection, const TableName& table, TableFacts& facts);
// The table's object, for telling whether two names reach one table.
void ReadObjectId(adodb::Connection& connection, const TableName& table, TableFacts& facts);

}  // namespace MSSQL
