#pragma once

#include <QListWidget>
#include <optional>

namespace shell {

// The text of a list's selected item, or nothing when no item is selected.
inline std::optional<QString> SelectedText(const QListWidget& list) {
  const QList<QListWidgetItem*> selected = list.selectedItems();
  if (selected.isEmpty()) return std::nullopt;
  return selected.first()->text();
}

}  // namespace shell
