#include "catalogue/column_type.h"

#include <QRegularExpression>
#include <initializer_list>

#include "catalogue/catalogue.h"

namespace MSSQL {
namespace {

bool OneOf(const QString& type, std::initializer_list<const char*> types) {
  for (const char* candidate : types) {
    if (type == QLatin1String(candidate)) return true;
  }
  return false;
}

}  // namespace

bool PlainName(const QString& name) {
  static const QRegularExpression kPlain(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
  return kPlain.match(name).hasMatch();
}

QString SizedType(const ColumnDefinition& column) {
  const QString& type = column.type;
  if (OneOf(type, {"char", "varchar", "nchar", "nvarchar", "binary", "varbinary"}) &&
      column.maxLength) {
    return type + QStringLiteral("(%1)").arg(*column.maxLength < 0
                                                 ? QStringLiteral("max")
                                                 : QString::number(*column.maxLength));
  }
  if (OneOf(type, {"decimal", "numeric"}) && column.precision) {
    return type + QStringLiteral("(%1, %2)").arg(*column.precision).arg(column.scale.value_or(0));
  }
  if (OneOf(type, {"time", "datetime2", "datetimeoffset"}) && column.fractionalSeconds) {
    return type + QStringLiteral("(%1)").arg(*column.fractionalSeconds);
  }
  if (type == QLatin1String("float") && column.precision && *column.precision != 53) {
    return type + QStringLiteral("(%1)").arg(*column.precision);
  }
  return PlainName(type) ? type : Bracketed(type);
}

}  // namespace MSSQL
