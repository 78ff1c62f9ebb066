#include "append/ways/insert_plan.h"

#include <QStringList>
#include <algorithm>

#include "append/engine/column_pairs.h"
#include "catalogue/catalogue.h"

namespace append {
namespace {

std::size_t WritableCount(const MSSQL::TableFacts& table) {
  return static_cast<std::size_t>(std::count_if(table.columns.begin(), table.columns.end(),
                                                [](const auto& c) { return c.Writable(); }));
}

bool BothKnown(const MSSQL::TableFacts& source, const MSSQL::TableFacts& target) {
  return !source.columns.empty() && source.columns.size() == target.columns.size();
}

bool AllWritable(const MSSQL::TableFacts& table) {
  return WritableCount(table) == table.columns.size();
}

}  // namespace

InsertTarget PlanInsert(const MSSQL::TableName& table, const MSSQL::TableFacts& source,
                        const MSSQL::TableFacts& target) {
  InsertTarget plan{table, {}, {}, false, {}};
  if (!BothKnown(source, target) || (!target.HasIdentity() && AllWritable(target))) return plan;
  QStringList columns;
  QStringList selected;
  for (std::size_t i = 0; i < target.columns.size(); ++i) {
    if (!target.columns[i].Writable()) continue;
    columns << target.columns[i].name;
    selected << MSSQL::Bracketed(source.columns[i].name);
    plan.positions.push_back(i);
  }
  plan.columnList = ColumnList(columns);
  // The server's own copy selects the source's columns in the same places by their names.
  plan.selectList = selected.join(QStringLiteral(", "));
  plan.identity = target.HasIdentity();
  return plan;
}

InsertTarget PlanInsertByName(const MSSQL::TableName& table, const MSSQL::TableFacts& source,
                              const MSSQL::TableFacts& target) {
  const std::optional<std::vector<std::size_t>> positions = SourceColumnsByName(source, target);
  if (!positions) return PlanInsert(table, source, target);
  InsertTarget plan{table, {}, *positions, target.HasIdentity(), {}};
  QStringList columns;
  for (const MSSQL::ColumnFacts& column : target.columns) {
    if (column.Writable()) columns << column.name;
  }
  QStringList selected;
  for (const std::size_t at : plan.positions) selected << MSSQL::Bracketed(source.columns[at].name);
  plan.columnList = ColumnList(columns);
  plan.selectList = selected.join(QStringLiteral(", "));
  return plan;
}

}  // namespace append
