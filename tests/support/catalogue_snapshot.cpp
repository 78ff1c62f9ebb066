#include "support/catalogue_snapshot.h"

#include <memory>

#include "catalogue/catalogue.h"

namespace {

// One kind of line: what the line is, the name of each field, and the statement that reads
// them for the table's object id written in place of %1 (and its name as a literal in place
// of %2).
struct Described {
  const char* kind;
  QStringList fields;
  const char* statement;
};

const Described kDescribed[] = {
    {"column",
     {"id", "name", "type", "type schema", "length", "precision", "scale", "collation", "nullable",
      "identity", "seed", "increment", "computed", "persisted"},
     "SELECT c.column_id, c.name, t.name, CASE WHEN t.is_user_defined = 1 THEN "
     "SCHEMA_NAME(t.schema_id) END, c.max_length, c.precision, c.scale, c.collation_name, "
     "c.is_nullable, c.is_identity, CASE WHEN c.is_identity = 1 THEN CAST(IDENT_SEED(%2) AS "
     "nvarchar(40)) END, CASE WHEN c.is_identity = 1 THEN CAST(IDENT_INCR(%2) AS nvarchar(40)) "
     "END, m.definition, m.is_persisted FROM sys.columns c JOIN sys.types t ON "
     "t.user_type_id = c.user_type_id LEFT JOIN sys.computed_columns m ON m.object_id = "
     "c.object_id AND m.column_id = c.column_id WHERE c.object_id = %1"},
    {"alias type",
     {"schema", "name", "base", "length", "precision", "scale", "nullable"},
     "SELECT DISTINCT SCHEMA_NAME(t.schema_id), t.name, TYPE_NAME(t.system_type_id), "
     "t.max_length, t.precision, t.scale, t.is_nullable FROM sys.columns c JOIN sys.types t ON "
     "t.user_type_id = c.user_type_id WHERE c.object_id = %1 AND t.is_user_defined = 1"},
    {"index",
     {"name", "type", "unique", "primary key", "unique constraint", "has filter", "filter"},
     "SELECT name, type_desc, is_unique, is_primary_key, is_unique_constraint, has_filter, "
     "filter_definition FROM sys.indexes WHERE object_id = %1 AND type > 0"},
    {"index column",
     {"index", "key ordinal", "column", "descending", "included"},
     "SELECT i.name, ic.key_ordinal, c.name, ic.is_descending_key, ic.is_included_column FROM "
     "sys.indexes i JOIN sys.index_columns ic ON ic.object_id = i.object_id AND ic.index_id = "
     "i.index_id JOIN sys.columns c ON c.object_id = ic.object_id AND c.column_id = "
     "ic.column_id WHERE i.object_id = %1"},
    {"check",
     {"name", "definition", "disabled"},
     "SELECT name, definition, is_disabled FROM sys.check_constraints WHERE parent_object_id = "
     "%1"},
    {"default",
     {"name", "column", "definition"},
     "SELECT d.name, c.name, d.definition FROM sys.default_constraints d JOIN sys.columns c ON "
     "c.object_id = d.parent_object_id AND c.column_id = d.parent_column_id WHERE "
     "d.parent_object_id = %1"},
    {"foreign key",
     {"name", "references", "on delete", "on update", "disabled"},
     "SELECT f.name, SCHEMA_NAME(r.schema_id) + N'.' + r.name, f.delete_referential_action_desc, "
     "f.update_referential_action_desc, f.is_disabled FROM sys.foreign_keys f JOIN sys.objects r "
     "ON r.object_id = f.referenced_object_id WHERE f.parent_object_id = %1"},
    {"foreign key column",
     {"key", "position", "column", "referenced column"},
     "SELECT f.name, k.constraint_column_id, pc.name, rc.name FROM sys.foreign_keys f JOIN "
     "sys.foreign_key_columns k ON k.constraint_object_id = f.object_id JOIN sys.columns pc ON "
     "pc.object_id = k.parent_object_id AND pc.column_id = k.parent_column_id JOIN sys.columns rc "
     "ON rc.object_id = k.referenced_object_id AND rc.column_id = k.referenced_column_id WHERE "
     "f.parent_object_id = %1"},
    {"trigger",
     {"name", "disabled", "definition"},
     "SELECT name, is_disabled, OBJECT_DEFINITION(object_id) FROM sys.triggers WHERE parent_id = "
     "%1"},
};

QString FieldText(const adodb::Value& value) {
  return value.IsNull() ? QStringLiteral("NULL") : value.text.trimmed();
}

// "schema.table kind: field=value, ..." for each row of the kind's statement.
void AddLines(adodb::Connection& connection, const QString& table, const Described& described,
              QStringList& lines) {
  const QString object = QStringLiteral("OBJECT_ID(%1)").arg(MSSQL::NationalLiteral(table));
  const std::unique_ptr<adodb::Recordset> rows =
      connection.Execute(QString::fromUtf8(described.statement)
                             .replace(QLatin1String("%1"), object)
                             .replace(QLatin1String("%2"), MSSQL::NationalLiteral(table)));
  for (; !rows->Eof(); rows->MoveNext()) {
    QStringList fields;
    for (int i = 0; i < described.fields.size(); ++i) {
      fields << described.fields[i] + QLatin1Char('=') + FieldText(rows->FieldValue(i));
    }
    lines << QStringLiteral("%1 %2: %3")
                 .arg(table, QString::fromUtf8(described.kind), fields.join(QStringLiteral(", ")));
  }
}

}  // namespace

QStringList CatalogueSnapshot(adodb::Connection& connection,
                              const std::vector<MSSQL::TableName>& tables) {
  QStringList lines;
  for (const MSSQL::TableName& table : tables) {
    for (const Described& described : kDescribed) {
      AddLines(connection, table.Bracketed(), described, lines);
    }
  }
  lines.sort(Qt::CaseInsensitive);
  return lines;
}
