#pragma once

// Hands out the column names of the join's staging copies: each field of the first table keeps
// its name, and a field of the second table whose name is already taken gets the name followed
// by "_" and the first free capital letter. Comparisons are exact, unless the join reserves the
// fields of both tables with the way their server compares names: then a name is taken when
// the server would take it for a registered one, and a suffix is chosen that no field of either
// table bears and no alias given so far has.

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <vector>

class FieldNameRegistry {
 public:
  static constexpr int kAnyTable = -1;

  // Empties the registry (FieldNameCount = 0) and its reservations.
  void Clear();
  // Every field of both tables, before the first alias is asked for, and whether their server
  // compares names with their letter case or without.
  void Reserve(const QStringList& fieldsOfBothTables, Qt::CaseSensitivity comparison);
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

  QString Compared(const QString& name) const;
  bool Taken(const QString& name) const;
  bool FreeSuffix(const QString& candidate) const;

  std::vector<Entry> entries_;
  bool reserved_ = false;
  Qt::CaseSensitivity comparison_ = Qt::CaseSensitive;
  QSet<QString> reservedNames_;    // as compared
  QSet<QString> registeredNames_;  // as compared
  QSet<QString> aliases_;          // as compared
  // Entry positions of every registered field name, in registration order.
  QHash<QString, std::vector<int>> positions_;
};
