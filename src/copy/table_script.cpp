#include "copy/table_script.h"

#include "catalogue/catalogue.h"
#include "copy/table_clauses.h"

namespace copy {
namespace {

bool SameName(const QString& a, const QString& b) {
  return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Names compare as the server compares them, letter case aside; a name without a schema is in
// whatever schema the session gives it, so only its name counts.
bool SameTable(const MSSQL::TableName& a, const MSSQL::TableName& b) {
  const bool schemas = a.schema.isEmpty() || b.schema.isEmpty() || SameName(a.schema, b.schema);
  return schemas && SameName(a.name, b.name);
}

bool MadeByEveryDatabase(const QString& schema) {
  return schema.isEmpty() || SameName(schema, QStringLiteral("dbo")) ||
         SameName(schema, QStringLiteral("sys"));
}

void AddSchema(TableScript& script, QStringList& made, const QString& schema) {
  if (MadeByEveryDatabase(schema) || made.contains(schema, Qt::CaseInsensitive)) return;
  made << schema;
  script.make << CreateSchemaStatement(schema);
}

QString CreateTableStatement(const WholeTable& table, const MSSQL::TableName& target,
                             const QString& databaseCollation) {
  QStringList clauses;
  for (const WholeColumn& column : table.columns) {
    clauses << ColumnClause(column, databaseCollation);
  }
  for (const WholeIndex& index : table.indexes) {
    if (index.kind == WholeIndex::Kind::PrimaryKey ||
        index.kind == WholeIndex::Kind::UniqueConstraint) {
      clauses << KeyConstraintClause(index);
    }
  }
  return QStringLiteral("CREATE TABLE %1 (%2)")
      .arg(target.Bracketed(), clauses.join(QStringLiteral(", ")));
}

void AddMake(TableScript& script, const WholeTable& table, const MSSQL::TableName& target,
             const QString& databaseCollation) {
  QStringList schemas;
  AddSchema(script, schemas, target.schema);
  for (const AliasType& type : table.aliasTypes) {
    AddSchema(script, schemas, type.name.schema);
    script.make << CreateAliasTypeStatement(type);
  }
  script.make << CreateTableStatement(table, target, databaseCollation);
}

QString CreateIndexStatement(const WholeIndex& index, const MSSQL::TableName& target) {
  QString statement =
      QStringLiteral("CREATE %1%2 INDEX %3 ON %4 (%5)")
          .arg(index.unique ? QStringLiteral("UNIQUE ") : QString(),
               index.clustered ? QStringLiteral("CLUSTERED") : QStringLiteral("NONCLUSTERED"),
               MSSQL::Bracketed(index.name), target.Bracketed(), KeyList(index.keys));
  if (!index.included.isEmpty()) {
    statement += QStringLiteral(" INCLUDE (") + ColumnList(index.included) + QLatin1Char(')');
  }
  if (!index.filter.isEmpty()) statement += QStringLiteral(" WHERE (") + index.filter + ')';
  return statement;
}

void AddIndexes(TableScript& script, const WholeTable& table, const MSSQL::TableName& target) {
  for (const WholeIndex& index : table.indexes) {
    if (index.kind == WholeIndex::Kind::Index) {
      script.afterRows << CreateIndexStatement(index, target);
    } else if (index.kind == WholeIndex::Kind::Other) {
      script.leftOut << QStringLiteral(
                            "the index %1 (%2) is left out: only clustered and nonclustered "
                            "indexes are made")
                            .arg(index.name, index.typeDescription);
    }
  }
}

void AddAfterRows(TableScript& script, const WholeTable& table, const MSSQL::TableName& target) {
  AddIndexes(script, table, target);
  const QString alter = QStringLiteral("ALTER TABLE ") + target.Bracketed();
  for (const CheckConstraint& check : table.checks) {
    script.afterRows << QStringLiteral("%1 ADD CONSTRAINT %2 CHECK (%3)")
                            .arg(alter, MSSQL::Bracketed(check.name), check.definition);
  }
  for (const DefaultConstraint& value : table.defaults) {
    script.afterRows << QStringLiteral("%1 ADD CONSTRAINT %2 DEFAULT (%3) FOR %4")
                            .arg(alter, MSSQL::Bracketed(value.name), value.definition,
                                 MSSQL::Bracketed(value.column));
  }
}

// A constraint added to a table is checked against its rows unless the statement says NOCHECK:
// the server trusts the foreign key, and a row that breaks it refuses it, named.
QString AddForeignKeyStatement(const WholeForeignKey& key, const MSSQL::TableName& target,
                               const MSSQL::TableName& referenced) {
  return QStringLiteral(
             "ALTER TABLE %1 ADD CONSTRAINT %2 FOREIGN KEY (%3) REFERENCES %4 (%5) "
             "ON DELETE %6 ON UPDATE %7")
      .arg(target.Bracketed(), MSSQL::Bracketed(key.name), ColumnList(key.columns),
           referenced.Bracketed(), ColumnList(key.referencedColumns), key.onDelete, key.onUpdate);
}

void AddForeignKeys(TableScript& script, const WholeTable& table, const MSSQL::TableName& target,
                    const std::function<bool(const MSSQL::TableName&)>& inTarget) {
  for (const WholeForeignKey& key : table.foreignKeys) {
    if (SameTable(key.referenced, table.name)) {
      script.foreignKeys << AddForeignKeyStatement(key, target, target);
    } else if (inTarget(key.referenced)) {
      script.foreignKeys << AddForeignKeyStatement(key, target, key.referenced);
    } else {
      script.leftOut << QStringLiteral(
                            "the foreign key %1 references %2, which is not in the "
                            "target")
                            .arg(key.name, key.referenced.Display());
    }
  }
}

// A trigger's definition names its table: it is made only for a target known to be named as
// the source is, schema included, lest it land on another table of that name.
bool NamedAsTheSource(const WholeTable& table, const MSSQL::TableName& target) {
  return !target.schema.isEmpty() && SameTable(table.name, target);
}

void AddTriggers(TableScript& script, const WholeTable& table, const MSSQL::TableName& target) {
  for (const WholeTrigger& trigger : table.triggers) {
    if (!NamedAsTheSource(table, target)) {
      script.leftOut << QStringLiteral(
                            "the trigger %1 is left out: its definition names %2, and the "
                            "target is %3")
                            .arg(trigger.name, table.name.Display(), target.Display());
    } else if (trigger.definition.isEmpty()) {
      script.leftOut << QStringLiteral(
                            "the trigger %1 is left out: the source server keeps its definition "
                            "hidden")
                            .arg(trigger.name);
    } else {
      script.triggers << trigger.definition;
      if (trigger.disabled) {
        script.triggers << QStringLiteral("DISABLE TRIGGER %1 ON %2")
                               .arg(MSSQL::TableName(target.schema, trigger.name).Bracketed(),
                                    target.Bracketed());
      }
    }
  }
}

}  // namespace

TableScript ScriptOf(const WholeTable& table, const MSSQL::TableName& target,
                     const QString& targetDatabaseCollation,
                     const std::function<bool(const MSSQL::TableName&)>& inTarget) {
  TableScript script;
  AddMake(script, table, target, targetDatabaseCollation);
  AddAfterRows(script, table, target);
  AddForeignKeys(script, table, target, inTarget);
  AddTriggers(script, table, target);
  return script;
}

}  // namespace copy
