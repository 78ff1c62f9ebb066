#pragma once

// A table as the lists show it and the statements name it: its schema and its name kept apart.
// A table of the login's default schema has no schema here and is named bare, as it always was.

#include <QMetaType>
#include <QString>

namespace MSSQL {

struct TableName {
  QString schema;  // empty: the login's default schema
  QString name;

  TableName() = default;
  TableName(QString bare) : name(std::move(bare)) {}  // NOLINT: a bare name is a table name
  TableName(const char* bare) : name(QString::fromUtf8(bare)) {}  // NOLINT: likewise
  TableName(QString schemaName, QString tableName)
      : schema(std::move(schemaName)), name(std::move(tableName)) {}

  // "name", or "schema.name" outside the default schema.
  QString Display() const;
  // "[name]", or "[schema].[name]", with "]" doubled inside the brackets.
  QString Bracketed() const;

  bool operator==(const TableName&) const = default;
};

}  // namespace MSSQL

Q_DECLARE_METATYPE(MSSQL::TableName)
