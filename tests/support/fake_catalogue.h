#pragma once

// The objects of the in-memory server: tables (and views, system tables) of one database,
// kept in creation order, found by name without regard to letter case as SQL Server does.

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "catalogue/column_facts.h"
#include "platform/odbc/adodb.h"

namespace fake {

using Row = std::vector<adodb::Value>;

struct Table {
  QString name;
  QStringList columns;
  std::vector<Row> rows;
  QString type;                           // "TABLE", "VIEW" or "SYSTEM TABLE"
  QString schema;                         // empty: dbo, the logins' default schema
  std::vector<MSSQL::ColumnFacts> facts;  // what the catalogue views tell; none: no rows
  QStringList key = {};                   // its primary key's columns; none: no key

  QString Schema() const;
};

// A table's schema and name as a statement gives them; no schema: dbo.
struct QualifiedName {
  QString schema;
  QString name;
};

// Names compare as SQL Server's default collation does: without regard to letter case.
bool SameName(const QString& a, const QString& b);

// Index of a column by name, case-blind; -1 when the table has none of that name.
int ColumnIndex(const QStringList& columns, const QString& name);

class Database {
 public:
  // An object of the default schema.
  Table* Find(const QString& name);
  const Table* Find(const QString& name) const;
  Table* Find(const QualifiedName& name);
  // Adds an object after the existing ones; the name must be free.
  Table& Create(Table table);
  void Drop(const QString& name);
  // A copy of every object, for a transaction to return to.
  Database Copy() const;
  // Every object, in creation order.
  const std::vector<std::unique_ptr<Table>>& Objects() const { return objects_; }
  // The name the server knows it by (DB_NAME()).
  const QString& Name() const { return name_; }
  void SetName(QString name) { name_ = std::move(name); }

 private:
  QString name_;
  std::vector<std::unique_ptr<Table>> objects_;  // owned one by one so that pointers stay valid
};

}  // namespace fake
