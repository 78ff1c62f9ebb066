#pragma once

// A table as the source server's catalogue describes it, with everything a copy makes again:
// its columns (types, alias types, identity, computed definitions, rowversion), its keys and
// other indexes, its checks and defaults, its foreign keys and its triggers. Names keep their
// case as the server gives them; every table name carries its schema.

#include <QString>
#include <QStringList>
#include <vector>

#include "catalogue/table_definition.h"
#include "catalogue/table_name.h"

namespace adodb {
class Connection;
}  // namespace adodb

namespace copy {

// A type of the database's own made from a system type (CREATE TYPE ... FROM ...).
struct AliasType {
  MSSQL::TableName name;         // its schema and name
  MSSQL::ColumnDefinition base;  // the system type with its size and nullability; no name
};

struct WholeColumn {
  // The column's own facts; `type` is the system type, the base type of an alias type.
  MSSQL::ColumnDefinition column;
  MSSQL::TableName aliasType;  // the alias type the column is declared with; no name when none
  QString identitySeed;        // on the identity column only
  QString identityIncrement;
  QString computed;  // a computed column's definition; empty for a stored column
  bool persisted = false;
};

struct IndexKey {
  QString column;
  bool descending = false;
};

struct WholeIndex {
  enum class Kind { PrimaryKey, UniqueConstraint, Index, Other };
  Kind kind = Kind::Index;
  QString name;
  QString typeDescription;  // the server's word for the index's kind ("CLUSTERED", "XML" ...)
  bool clustered = false;
  bool unique = false;
  std::vector<IndexKey> keys;
  QStringList included;
  QString filter;  // a filtered index's condition; empty for every row
};

struct CheckConstraint {
  QString name;
  QString definition;
};

struct DefaultConstraint {
  QString name;
  QString column;
  QString definition;
};

struct WholeForeignKey {
  QString name;
  QStringList columns;
  MSSQL::TableName referenced;
  QStringList referencedColumns;
  QString onDelete;  // NO ACTION, CASCADE, SET NULL or SET DEFAULT
  QString onUpdate;
};

struct WholeTrigger {
  QString name;
  QString definition;  // as the source gives it; empty when the server keeps it hidden
  bool disabled = false;
};

struct WholeTable {
  MSSQL::TableName name;  // schema always filled in
  std::vector<WholeColumn> columns;
  std::vector<AliasType> aliasTypes;  // each alias type the columns use, once
  std::vector<WholeIndex> indexes;    // keys and unique constraints first, as the server lists
  std::vector<CheckConstraint> checks;
  std::vector<DefaultConstraint> defaults;
  std::vector<WholeForeignKey> foreignKeys;
  std::vector<WholeTrigger> triggers;
};

// Every table of `tables` (named as the session resolves them: a bare name is in the login's
// default schema), in that order, read in one statement per kind of object for all of them.
// Throws the server's error when a statement fails, and an error naming a table the server
// does not know.
std::vector<WholeTable> ReadWholeTables(adodb::Connection& source,
                                        const std::vector<MSSQL::TableName>& tables);

}  // namespace copy
