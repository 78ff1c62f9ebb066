#include "catalogue/foreign_keys.h"

#include "catalogue/catalogue.h"

namespace MSSQL {
namespace {

// Names from the server's catalogue compare as the server's default collation does, letter
// case aside, so that a table typed in other letters is still the one its keys name.
bool Same(const TableName& a, const TableName& b) {
  return a.schema.compare(b.schema, Qt::CaseInsensitive) == 0 &&
         a.name.compare(b.name, Qt::CaseInsensitive) == 0;
}

qsizetype IndexOf(const std::vector<TableName>& tables, const TableName& table) {
  for (std::size_t i = 0; i < tables.size(); ++i) {
    if (Same(tables[i], table)) return static_cast<qsizetype>(i);
  }
  return -1;
}

// Of the tables left unplaced, those on a cycle: a table that no other left table references
// only waits for the cycle, and is left out, again and again until none is.
QStringList InTheCycle(const std::vector<TableName>& tables,
                       const std::vector<std::vector<std::size_t>>& parents,
                       std::vector<bool> left) {
  for (std::size_t i = 0; i < left.size(); ++i) left[i] = !left[i];
  for (bool dropped = true; dropped;) {
    dropped = false;
    for (std::size_t i = 0; i < left.size(); ++i) {
      if (!left[i]) continue;
      bool referenced = false;
      for (std::size_t j = 0; j < left.size(); ++j) {
        if (!left[j]) continue;
        for (std::size_t parent : parents[j]) referenced = referenced || parent == i;
      }
      if (!referenced) left[i] = false;
      dropped = dropped || !referenced;
    }
  }
  QStringList names;
  for (std::size_t i = 0; i < left.size(); ++i) {
    if (left[i]) names << tables[i].Display();
  }
  return names;
}

}  // namespace

std::vector<ForeignKey> ReadForeignKeys(adodb::Connection& connection) {
  const std::unique_ptr<adodb::Recordset> keys = connection.Execute(
      QStringLiteral("SELECT OBJECT_SCHEMA_NAME(parent_object_id), OBJECT_NAME(parent_object_id), "
                     "OBJECT_SCHEMA_NAME(referenced_object_id), OBJECT_NAME(referenced_object_id) "
                     "FROM sys.foreign_keys"));
  std::vector<ForeignKey> read;
  for (; !keys->Eof(); keys->MoveNext()) {
    read.push_back({TableName(keys->FieldValue(0).text, keys->FieldValue(1).text),
                    TableName(keys->FieldValue(2).text, keys->FieldValue(3).text)});
  }
  return read;
}

QStringList TablesReferencing(adodb::Connection& connection, const TableName& table) {
  const std::unique_ptr<adodb::Recordset> children =
      connection.Execute(QStringLiteral("SELECT DISTINCT OBJECT_SCHEMA_NAME(parent_object_id), "
                                        "OBJECT_NAME(parent_object_id) FROM sys.foreign_keys "
                                        "WHERE referenced_object_id = OBJECT_ID(%1) "
                                        "AND parent_object_id <> referenced_object_id")
                             .arg(NationalLiteral(table.Bracketed())));
  QStringList names;
  for (; !children->Eof(); children->MoveNext()) {
    names << children->FieldValue(0).text + QLatin1Char('.') + children->FieldValue(1).text;
  }
  return names;
}

// Kahn's order, taking at each step the first table in the given order whose referenced
// tables are all placed; a table that references itself needs no other before it.
std::optional<std::vector<TableName>> ReferencedFirst(const std::vector<TableName>& tables,
                                                      const std::vector<ForeignKey>& keys,
                                                      QStringList& cycle) {
  const std::size_t count = tables.size();
  std::vector<std::vector<std::size_t>> parents(count);
  for (const ForeignKey& key : keys) {
    const qsizetype child = IndexOf(tables, key.child);
    const qsizetype parent = IndexOf(tables, key.parent);
    if (child >= 0 && parent >= 0 && child != parent) {
      parents[static_cast<std::size_t>(child)].push_back(static_cast<std::size_t>(parent));
    }
  }
  std::vector<bool> placed(count, false);
  std::vector<TableName> ordered;
  while (ordered.size() < count) {
    std::optional<std::size_t> next;
    for (std::size_t i = 0; i < count && !next; ++i) {
      if (placed[i]) continue;
      bool ready = true;
      for (std::size_t parent : parents[i]) ready = ready && placed[parent];
      if (ready) next = i;
    }
    if (!next) {
      cycle = InTheCycle(tables, parents, placed);
      return std::nullopt;
    }
    placed[*next] = true;
    ordered.push_back(tables[*next]);
  }
  return ordered;
}

}  // namespace MSSQL
