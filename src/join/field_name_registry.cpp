#include "join/field_name_registry.h"

void FieldNameRegistry::Clear() {
  entries_.clear();
  positions_.clear();
  reserved_ = false;
  comparison_ = Qt::CaseSensitive;
  reservedNames_.clear();
  registeredNames_.clear();
  aliases_.clear();
}

void FieldNameRegistry::Reserve(const QStringList& fieldsOfBothTables,
                                Qt::CaseSensitivity comparison) {
  reserved_ = true;
  comparison_ = comparison;
  for (const QString& field : fieldsOfBothTables) reservedNames_.insert(Compared(field));
}

QString FieldNameRegistry::Compared(const QString& name) const {
  return comparison_ == Qt::CaseSensitive ? name : name.toCaseFolded();
}

// Whether a registered field bears the name, as the server compares names.
bool FieldNameRegistry::Taken(const QString& name) const {
  if (!reserved_) return IsFieldNameRegistered(name, kAnyTable);
  return registeredNames_.contains(Compared(name)) || aliases_.contains(Compared(name));
}

bool FieldNameRegistry::FreeSuffix(const QString& candidate) const {
  if (!reserved_) return !IsFieldNameRegistered(candidate, kAnyTable);
  const QString compared = Compared(candidate);
  return !registeredNames_.contains(compared) && !reservedNames_.contains(compared) &&
         !aliases_.contains(compared);
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
  const bool taken = Taken(name);
  positions_[name].push_back(FieldNameCount());
  entries_.push_back({name, QString(), table});
  registeredNames_.insert(Compared(name));
  Entry& entry = entries_.back();
  if (!taken) {
    entry.alias = name;
    aliases_.insert(Compared(name));
    return entry.alias;
  }
  // Candidates are tested against the registered field names (and, when reserved, every field of
  // both tables and the aliases given), not against the aliases alone.
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    const QString candidate = name + QLatin1Char('_') + QLatin1Char(letter);
    if (FreeSuffix(candidate)) {
      entry.alias = candidate;
      aliases_.insert(Compared(candidate));
      return entry.alias;
    }
  }
  return QString();
}
