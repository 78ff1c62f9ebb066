#pragma once

#include <QListWidget>
#include <optional>
#include <vector>

#include "catalogue/table_name.h"

namespace shell {

// The text of a list's selected item, or nothing when no item is selected.
inline std::optional<QString> SelectedText(const QListWidget& list) {
  const QList<QListWidgetItem*> selected = list.selectedItems();
  if (selected.isEmpty()) return std::nullopt;
  return selected.first()->text();
}

// The table of a table list's selected item: the name it was listed with, or the bare text of
// an item added by name (a table the program created in the default schema).
inline MSSQL::TableName TableOf(const QListWidgetItem& item) {
  const QVariant table = item.data(Qt::UserRole);
  if (table.canConvert<MSSQL::TableName>()) return table.value<MSSQL::TableName>();
  return MSSQL::TableName(item.text());
}

inline std::optional<MSSQL::TableName> SelectedTable(const QListWidget& list) {
  const QList<QListWidgetItem*> selected = list.selectedItems();
  if (selected.isEmpty()) return std::nullopt;
  return TableOf(*selected.first());
}

// The tables of a table list's selected items, in the list's order.
inline std::vector<MSSQL::TableName> SelectedTables(const QListWidget& list) {
  std::vector<MSSQL::TableName> tables;
  for (int row = 0; row < list.count(); ++row) {
    if (list.item(row)->isSelected()) tables.push_back(TableOf(*list.item(row)));
  }
  return tables;
}

// Every table of a table list, in its order.
inline std::vector<MSSQL::TableName> ListedTables(const QListWidget& list) {
  std::vector<MSSQL::TableName> tables;
  for (int row = 0; row < list.count(); ++row) tables.push_back(TableOf(*list.item(row)));
  return tables;
}

}  // namespace shell
