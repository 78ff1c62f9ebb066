#include "catalogue/table_name.h"

#include "catalogue/catalogue.h"

namespace MSSQL {

QString TableName::Display() const {
  return schema.isEmpty() ? name : schema + QLatin1Char('.') + name;
}

QString TableName::Bracketed() const {
  const QString table = MSSQL::Bracketed(name);
  return schema.isEmpty() ? table : MSSQL::Bracketed(schema) + QLatin1Char('.') + table;
}

}  // namespace MSSQL
