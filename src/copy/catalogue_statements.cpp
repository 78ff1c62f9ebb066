#include "copy/catalogue_statements.h"

#include <QStringList>

#include "catalogue/catalogue.h"

namespace copy {
QString TablesStatement(const std::vector<MSSQL::TableName>& tables) {
  QStringList rows;
  for (std::size_t i = 0; i < tables.size(); ++i) {
    rows << QStringLiteral("(%1, OBJECT_ID(%2))")
                .arg(i)
                .arg(MSSQL::NationalLiteral(tables[i].Bracketed()));
  }
  return QStringLiteral(
             "SELECT v.n, o.object_id, s.name, o.name FROM (VALUES %1) AS v(n, id) "
             "LEFT JOIN sys.tables o ON o.object_id = v.id "
             "LEFT JOIN sys.schemas s ON s.schema_id = o.schema_id ORDER BY v.n")
      .arg(rows.join(QStringLiteral(", ")));
}

namespace {

// The seed or increment as sys.identity_columns keeps it, else as IDENT_SEED or IDENT_INCR
// gives it for the table's name; read as one value, since a server may list an identity column
// there more than once.
QString IdentityValue(const char* column, const char* function) {
  return QStringLiteral(
             "CASE WHEN c.is_identity = 1 THEN COALESCE((SELECT TOP (1) CAST(i.%1 AS "
             "nvarchar(40)) FROM sys.identity_columns i WHERE i.object_id = c.object_id AND "
             "i.column_id = c.column_id), CAST(%2(QUOTENAME(s.name) + N'.' + QUOTENAME(o.name)) "
             "AS nvarchar(40))) END")
      .arg(QLatin1String(column), QLatin1String(function));
}

}  // namespace

QString ColumnsStatement(const QString& objectIds) {
  return QStringLiteral(
             "SELECT c.object_id, c.name, "
             "CASE WHEN t.is_user_defined = 1 THEN b.name ELSE t.name END, "
             "c.max_length, c.precision, c.scale, c.collation_name, c.is_nullable, c.is_identity, "
             "%2, %3, m.definition, m.is_persisted, t.is_user_defined, SCHEMA_NAME(t.schema_id), "
             "t.name, t.max_length, t.precision, t.scale, t.is_nullable "
             "FROM sys.columns c JOIN sys.objects o ON o.object_id = c.object_id "
             "JOIN sys.schemas s ON s.schema_id = o.schema_id "
             "JOIN sys.types t ON t.user_type_id = c.user_type_id "
             "LEFT JOIN sys.types b ON b.user_type_id = c.system_type_id "
             "LEFT JOIN sys.computed_columns m ON m.object_id = c.object_id AND "
             "m.column_id = c.column_id "
             "WHERE c.object_id IN (%1) ORDER BY c.object_id, c.column_id")
      .arg(objectIds, IdentityValue("seed_value", "IDENT_SEED"),
           IdentityValue("increment_value", "IDENT_INCR"));
}

QString IndexesStatement(const QString& objectIds) {
  return QStringLiteral(
             "SELECT i.object_id, i.index_id, i.name, i.type, i.type_desc, i.is_unique, "
             "i.is_primary_key, i.is_unique_constraint, i.filter_definition, c.name, "
             "ic.is_descending_key, ic.is_included_column "
             "FROM sys.indexes i LEFT JOIN sys.index_columns ic ON ic.object_id = i.object_id AND "
             "ic.index_id = i.index_id AND (ic.key_ordinal > 0 OR ic.is_included_column = 1) "
             "LEFT JOIN sys.columns c ON c.object_id = ic.object_id AND c.column_id = ic.column_id "
             "WHERE i.object_id IN (%1) AND i.type > 0 AND i.is_hypothetical = 0 "
             "ORDER BY i.object_id, i.is_primary_key DESC, i.is_unique_constraint DESC, "
             "i.index_id, ic.is_included_column, ic.key_ordinal, ic.index_column_id")
      .arg(objectIds);
}

QString ChecksStatement(const QString& objectIds) {
  return QStringLiteral(
             "SELECT parent_object_id, name, definition FROM sys.check_constraints "
             "WHERE parent_object_id IN (%1) ORDER BY parent_object_id, name")
      .arg(objectIds);
}

QString DefaultsStatement(const QString& objectIds) {
  return QStringLiteral(
             "SELECT d.parent_object_id, d.name, c.name, d.definition, "
             "CASE WHEN c.is_computed = 1 OR TYPE_NAME(c.system_type_id) = N'timestamp' "
             "THEN 1 ELSE 0 END "
             "FROM sys.default_constraints d JOIN sys.columns c ON "
             "c.object_id = d.parent_object_id AND c.column_id = d.parent_column_id "
             "WHERE d.parent_object_id IN (%1) ORDER BY d.parent_object_id, c.column_id, d.name")
      .arg(objectIds);
}

QString ForeignKeysStatement(const QString& objectIds) {
  return QStringLiteral(
             "SELECT f.parent_object_id, f.object_id, f.name, rs.name, r.name, "
             "f.delete_referential_action, f.update_referential_action, pc.name, rc.name "
             "FROM sys.foreign_keys f "
             "JOIN sys.foreign_key_columns k ON k.constraint_object_id = f.object_id "
             "JOIN sys.columns pc ON pc.object_id = k.parent_object_id AND "
             "pc.column_id = k.parent_column_id "
             "JOIN sys.columns rc ON rc.object_id = k.referenced_object_id AND "
             "rc.column_id = k.referenced_column_id "
             "JOIN sys.objects r ON r.object_id = f.referenced_object_id "
             "JOIN sys.schemas rs ON rs.schema_id = r.schema_id "
             "WHERE f.parent_object_id IN (%1) "
             "ORDER BY f.parent_object_id, f.name, f.object_id, k.constraint_column_id")
      .arg(objectIds);
}

QString TriggersStatement(const QString& objectIds) {
  return QStringLiteral(
             "SELECT parent_id, name, OBJECT_DEFINITION(object_id), is_disabled "
             "FROM sys.triggers WHERE parent_id IN (%1) ORDER BY parent_id, name")
      .arg(objectIds);
}

}  // namespace copy
