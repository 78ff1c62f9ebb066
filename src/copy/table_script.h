#pragma once

// The statements that make a table again whole, in the order a copy runs them: what must
// stand before the rows, what is better made once they are in, the foreign keys once every
// table of the run holds its rows, and the triggers last. Each statement stands alone, so a
// user can run them by hand, in that order, on an empty database.

#include <QString>
#include <QStringList>
#include <functional>

#include "catalogue/table_name.h"
#include "copy/whole_table.h"

namespace copy {

struct TableScript {
  // The schema and alias types when missing, then CREATE TABLE with its columns, identity,
  // primary key and unique constraints.
  QStringList make;
  // The other indexes, the checks and the defaults.
  QStringList afterRows;
  // ALTER TABLE ... ADD CONSTRAINT ... FOREIGN KEY (checked), each to a table of the target.
  QStringList foreignKeys;
  // Each trigger's definition as the source gives it, then DISABLE TRIGGER where disabled.
  QStringList triggers;
  // What the script does not make and why, one line each.
  QStringList leftOut;
};

// The script that makes `table` as `target` (which may be named otherwise: the table and its
// references to itself are then named as the target). A collation is named only when it is not
// `targetDatabaseCollation`; a foreign key to a table for which `inTarget` answers false is
// left out and said.
TableScript ScriptOf(const WholeTable& table, const MSSQL::TableName& target,
                     const QString& targetDatabaseCollation,
                     const std::function<bool(const MSSQL::TableName&)>& inTarget);

}  // namespace copy
