#pragma once

// Hands out the column names of the join's staging copies: each field of the first table keeps
// its name, and a field of the second table whose name is already taken gets the name followed
// by "_" and the first free capital letter. All comparisons are exact.

#include <QHash>
#include <QString>
#include <vector>

class FieldNameRegistry {
 public:
  static constexpr int kAnyTable = -1;

  // Empties the registry (FieldNameCount = 0).
  void Clear();
  int FieldNameCount() const { return static_cast<int>(entries_.size()); }

  // Whether an entry has exactly this field name and, unless `table` is kAnyTable, this table.
  bool IsFieldNameRegistered(const QString& name, int table) const;
  // The number (from 1) of the last such entry; 0 when there is none.
  int FindFieldName(const QString& name, int table) const;
  // The alias of this field of table 0 or 1; registers the field on its first request. The
  // empty text when all 26 letters of the name are taken.
  QString AliasFieldName(const QString& name, int table);

 private:
  struct Entry {
    QString name;
    QString alias;
    int table;
  };

  std::vector<Entry> entries_;
  // Entry positions of every registered field name, in registration order.
  QHash<QString, std::vector<int>> positions_;
};
