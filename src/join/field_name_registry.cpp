#include "join/field_name_registry.h"

void FieldNameRegistry::Clear() {
  entries_.clear();
  positions_.clear();
}

bool FieldNameRegistry::IsFieldNameRegistered(const QString& name, int table) const {
  return FindFieldName(name, table) != 0;
}

int FieldNameRegistry::FindFieldName(const QString& name, int table) const {
  const auto found = positions_.constFind(name);
  if (found == positions_.constEnd()) return 0;
  const std::vector<int>& positions = *found;
  for (auto position = positions.rbegin(); position != positions.rend(); ++position) {
    if (table == kAnyTable || entries_[*position].table == table) return *position + 1;
  }
  return 0;
}

QString FieldNameRegistry::AliasFieldName(const QString& name, int table) {
  if (const int known = FindFieldName(name, table)) return entries_[known - 1].alias;
  const bool taken = IsFieldNameRegistered(name, kAnyTable);
  positions_[name].push_back(FieldNameCount());
  entries_.push_back({name, QString(), table});
  Entry& entry = entries_.back();
  if (!taken) {
    entry.alias = name;
    return entry.alias;
  }
  // Candidates are tested against the registered field names, not the aliases given so far.
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    const QString candidate = name + QLatin1Char('_') + QLatin1Char(letter);
    if (!IsFieldNameRegistered(candidate, kAnyTable)) {
      entry.alias = candidate;
      return entry.alias;
    }
  }
  return QString();
}
