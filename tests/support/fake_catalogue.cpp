#include "support/fake_catalogue.h"

#include <algorithm>
#include <stdexcept>

namespace fake {
bool SameName(const QString& a, const QString& b) {
  return a.compare(b, Qt::CaseInsensitive) == 0;
}

int ColumnIndex(const QStringList& columns, const QString& name) {
  for (int i = 0; i < columns.size(); ++i) {
    if (SameName(columns[i], name)) return i;
  }
  return -1;
}

Table* Database::Find(const QString& name) {
  for (const auto& object : objects_) {
    if (SameName(object->name, name)) return object.get();
  }
  return nullptr;
}

const Table* Database::Find(const QString& name) const {
  return const_cast<Database*>(this)->Find(name);
}

Table& Database::Create(Table table) {
  if (Find(table.name)) throw std::logic_error("object exists: " + table.name.toStdString());
  objects_.push_back(std::make_unique<Table>(std::move(table)));
  return *objects_.back();
}

Database Database::Copy() const {
  Database copy;
  for (const auto& object : objects_) copy.Create(*object);
  return copy;
}

void Database::Drop(const QString& name) {
  std::erase_if(objects_, [&](const auto& object) { return SameName(object->name, name); });
}

}  // namespace fake
