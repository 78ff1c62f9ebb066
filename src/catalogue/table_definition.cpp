#include "catalogue/table_definition.h"

#include "catalogue/catalogue.h"
#include "catalogue/column_type.h"
#include "platform/odbc/adodb.h"

namespace MSSQL {
namespace {

// The table's object as the session resolves its name, in SQL.
QString ObjectOf(const TableName& table) {
  return QStringLiteral("OBJECT_ID(%1)").arg(NationalLiteral(table.Bracketed()));
}

QString ColumnsStatement(const TableName& table) {
  const QString object = ObjectOf(table);
  return QStringLiteral(
             "SELECT COLUMN_NAME, DATA_TYPE, CHARACTER_MAXIMUM_LENGTH, NUMERIC_PRECISION, "
             "NUMERIC_SCALE, DATETIME_PRECISION, IS_NULLABLE, COLLATION_NAME, "
             "COLUMNPROPERTY(%1, COLUMN_NAME, 'IsIdentity'), IDENT_SEED(%2), IDENT_INCR(%2) "
             "FROM INFORMATION_SCHEMA.COLUMNS WHERE TABLE_NAME = %3 AND TABLE_SCHEMA = "
             "OBJECT_SCHEMA_NAME(%1) ORDER BY ORDINAL_POSITION")
      .arg(object, NationalLiteral(table.Bracketed()), NationalLiteral(table.name));
}

QString PrimaryKeyStatement(const TableName& table) {
  return QStringLiteral(
             "SELECT k.COLUMN_NAME FROM INFORMATION_SCHEMA.TABLE_CONSTRAINTS c JOIN "
             "INFORMATION_SCHEMA.KEY_COLUMN_USAGE k ON k.CONSTRAINT_NAME = c.CONSTRAINT_NAME AND "
             "k.TABLE_SCHEMA = c.TABLE_SCHEMA AND k.TABLE_NAME = c.TABLE_NAME WHERE "
             "c.CONSTRAINT_TYPE = 'PRIMARY KEY' AND c.TABLE_NAME = %1 AND c.TABLE_SCHEMA = "
             "OBJECT_SCHEMA_NAME(%2) ORDER BY k.ORDINAL_POSITION")
      .arg(NationalLiteral(table.name), ObjectOf(table));
}

template <class Number>
std::optional<Number> NumberOf(const adodb::Value& value) {
  if (value.IsNull() || value.text.trimmed().isEmpty()) return std::nullopt;
  return static_cast<Number>(value.text.trimmed().toLongLong());
}

QString Text(const adodb::Value& value) {
  return value.IsNull() ? QString() : value.text.trimmed();
}

ColumnDefinition ColumnOf(adodb::Recordset& row) {
  ColumnDefinition column;
  column.name = row.FieldValue(0).text;
  column.type = Text(row.FieldValue(1)).toLower();
  column.maxLength = NumberOf<qint64>(row.FieldValue(2));
  column.precision = NumberOf<int>(row.FieldValue(3));
  column.scale = NumberOf<int>(row.FieldValue(4));
  column.fractionalSeconds = NumberOf<int>(row.FieldValue(5));
  column.nullable = Text(row.FieldValue(6)).compare(QLatin1String("NO"), Qt::CaseInsensitive) != 0;
  column.collation = Text(row.FieldValue(7));
  column.identity = Text(row.FieldValue(8)) == QLatin1String("1");
  return column;
}

// The type with its size. A rowversion holds eight bytes, which a new table keeps as binary(8).
QString TypeOf(const ColumnDefinition& column) {
  if (column.type == QLatin1String("timestamp") || column.type == QLatin1String("rowversion")) {
    return QStringLiteral("binary(8)");
  }
  return SizedType(column);
}

QString ColumnClause(const ColumnDefinition& column, const TableDefinition& definition,
                     const QString& databaseCollation) {
  QString clause = Bracketed(column.name) + QLatin1Char(' ') + TypeOf(column);
  if (PlainName(column.collation) &&
      column.collation.compare(databaseCollation, Qt::CaseInsensitive) != 0) {
    clause += QStringLiteral(" COLLATE ") + column.collation;
  }
  if (column.identity) {
    clause +=
        QStringLiteral(" IDENTITY(%1, %2)")
            .arg(definition.identitySeed.isEmpty() ? QStringLiteral("1") : definition.identitySeed,
                 definition.identityIncrement.isEmpty() ? QStringLiteral("1")
                                                        : definition.identityIncrement);
  }
  clause += column.nullable ? QStringLiteral(" NULL") : QStringLiteral(" NOT NULL");
  return clause;
}

}  // namespace

TableDefinition ReadTableDefinition(adodb::Connection& connection, const TableName& table) {
  TableDefinition definition;
  {
    const std::unique_ptr<adodb::Recordset> rows = connection.Execute(ColumnsStatement(table));
    for (; !rows->Eof(); rows->MoveNext()) {
      definition.columns.push_back(ColumnOf(*rows));
      if (definition.columns.back().identity) {
        definition.identitySeed = Text(rows->FieldValue(9));
        definition.identityIncrement = Text(rows->FieldValue(10));
      }
    }
  }
  const std::unique_ptr<adodb::Recordset> key = connection.Execute(PrimaryKeyStatement(table));
  for (; !key->Eof(); key->MoveNext()) definition.primaryKey << key->FieldValue(0).text;
  return definition;
}

QString CreateTableStatement(const TableName& table, const TableDefinition& definition,
                             const QString& databaseCollation) {
  QStringList clauses;
  for (const ColumnDefinition& column : definition.columns) {
    clauses << ColumnClause(column, definition, databaseCollation);
  }
  if (!definition.primaryKey.isEmpty()) {
    QStringList key;
    for (const QString& column : definition.primaryKey) key << Bracketed(column);
    clauses << QStringLiteral("PRIMARY KEY (") + key.join(QStringLiteral(", ")) + QLatin1Char(')');
  }
  return QStringLiteral("CREATE TABLE ") + table.Bracketed() + QStringLiteral(" (") +
         clauses.join(QStringLiteral(", ")) + QLatin1Char(')');
}

QString TargetLookStatement(const TableName& table) {
  return QStringLiteral(
             "SELECT %1, CAST(DATABASEPROPERTYEX(DB_NAME(), 'Collation') AS nvarchar(128))")
      .arg(ObjectOf(table));
}

}  // namespace MSSQL
