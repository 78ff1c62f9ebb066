#include "copy/table_clauses.h"

#include "catalogue/catalogue.h"
#include "catalogue/column_type.h"

namespace copy {
namespace {

QString Nullability(bool nullable) {
  return nullable ? QStringLiteral(" NULL") : QStringLiteral(" NOT NULL");
}

QString ComputedClause(const WholeColumn& column) {
  QString clause = MSSQL::Bracketed(column.column.name) + QStringLiteral(" AS (") +
                   column.computed + QLatin1Char(')');
  if (column.persisted) {
    clause += QStringLiteral(" PERSISTED");
    if (!column.column.nullable) clause += QStringLiteral(" NOT NULL");
  }
  return clause;
}

QString TypeClause(const WholeColumn& column) {
  if (!column.aliasType.name.isEmpty()) return column.aliasType.Bracketed();
  const QString& type = column.column.type;
  if (type == QLatin1String("timestamp") || type == QLatin1String("rowversion")) {
    return QStringLiteral("rowversion");
  }
  return MSSQL::SizedType(column.column);
}

QString OrOne(const QString& number) {
  return number.isEmpty() ? QStringLiteral("1") : number;
}

}  // namespace

QString ColumnClause(const WholeColumn& column, const QString& databaseCollation) {
  if (!column.computed.isEmpty()) return ComputedClause(column);
  QString clause = MSSQL::Bracketed(column.column.name) + QLatin1Char(' ') + TypeClause(column);
  const QString& collation = column.column.collation;
  if (column.aliasType.name.isEmpty() && MSSQL::PlainName(collation) &&
      collation.compare(databaseCollation, Qt::CaseInsensitive) != 0) {
    clause += QStringLiteral(" COLLATE ") + collation;
  }
  if (column.column.identity) {
    clause += QStringLiteral(" IDENTITY(%1, %2)")
                  .arg(OrOne(column.identitySeed), OrOne(column.identityIncrement));
  }
  return clause + Nullability(column.column.nullable);
}

QString KeyList(const std::vector<IndexKey>& keys) {
  QStringList list;
  for (const IndexKey& key : keys) {
    list << MSSQL::Bracketed(key.column) +
                (key.descending ? QStringLiteral(" DESC") : QStringLiteral(" ASC"));
  }
  return list.join(QStringLiteral(", "));
}

QString ColumnList(const QStringList& columns) {
  QStringList list;
  for (const QString& column : columns) list << MSSQL::Bracketed(column);
  return list.join(QStringLiteral(", "));
}

QString KeyConstraintClause(const WholeIndex& key) {
  return QStringLiteral("CONSTRAINT %1 %2 %3 (%4)")
      .arg(MSSQL::Bracketed(key.name),
           key.kind == WholeIndex::Kind::PrimaryKey ? QStringLiteral("PRIMARY KEY")
                                                    : QStringLiteral("UNIQUE"),
           key.clustered ? QStringLiteral("CLUSTERED") : QStringLiteral("NONCLUSTERED"),
           KeyList(key.keys));
}

QString CreateSchemaStatement(const QString& schema) {
  return QStringLiteral("IF SCHEMA_ID(%1) IS NULL EXEC(%2)")
      .arg(MSSQL::NationalLiteral(schema),
           MSSQL::NationalLiteral(QStringLiteral("CREATE SCHEMA ") + MSSQL::Bracketed(schema)));
}

QString CreateAliasTypeStatement(const AliasType& type) {
  const QString create = QStringLiteral("CREATE TYPE ") + type.name.Bracketed() +
                         QStringLiteral(" FROM ") + MSSQL::SizedType(type.base) +
                         Nullability(type.base.nullable);
  return QStringLiteral("IF TYPE_ID(%1) IS NULL EXEC(%2)")
      .arg(MSSQL::NationalLiteral(type.name.Bracketed()), MSSQL::NationalLiteral(create));
}

}  // namespace copy
