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

QString Table::Schema() const {
  return schema.isEmpty() ? QStringLiteral("dbo") : schema;
}

Table* Database::Find(const QString& name) {
  return Find(QualifiedName{QString(), name});
}

Table* Database::Find(const QualifiedName& name) {
  const QString schema = name.schema.isEmpty() ? QStringLiteral("dbo") : name.schema;
  for (const auto& object : objects_) {
    if (SameName(object->name, name.name) && SameName(object->Schema(), schema)) {
      return object.get();
    }
  }
  return nullptr;
}

const Table* Database::Find(const QString& name) const {
  return const_cast<Database*>(this)->Find(name);
}

Table& Database::Create(Table table) {
  if (Find(QualifiedName{table.schema, table.name}))
    throw std::logic_error("object exists: " + table.name.toStdString());
  objects_.push_back(std::make_unique<Table>(std::move(table)));
  return *objects_.back();
}

Database Database::Copy() const {
  Database copy;
  copy.SetName(name_);
  for (const auto& object : objects_) copy.Create(*object);
  return copy;
}

void Database::Drop(const QString& name) {
  std::erase_if(objects_, [&](const auto& object) {
    return SameName(object->name, name) && SameName(object->Schema(), QStringLiteral("dbo"));
  });
}

}  // namespace fake
