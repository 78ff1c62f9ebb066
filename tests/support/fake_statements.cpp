#include "support/fake_statements.h"

#include "support/fake_errors.h"

namespace fake {
namespace {

Result SelectAll(const Database& database, SqlReader& sql) {
  sql.Expect(QStringLiteral("SELECT * FROM"));
  const QString name = sql.TakeName();
  const bool noRows = sql.Accept(QStringLiteral("WHERE 1 = 0"));
  sql.ExpectEnd();
  const Table& table = ExistingObject(database, name);
  return {true, table.columns, noRows ? std::vector<Row>{} : table.rows};
}

Result CountAll(const Database& database, SqlReader& sql) {
  sql.Expect(QStringLiteral("SELECT COUNT ( * ) FROM"));
  const QString name = sql.TakeName();
  sql.ExpectEnd();
  const Table& table = ExistingObject(database, name);
  return {true, {QString()}, {{adodb::Value::Text(QString::number(table.rows.size()))}}};
}

// SELECT [field] AS [alias],... INTO target FROM [source]: a copy under new column names.
struct CopyStatement {
  QStringList fields;
  QStringList aliases;
  QString target;
  QString source;
};

CopyStatement ParseCopy(SqlReader& sql) {
  CopyStatement copy;
  sql.Expect(QStringLiteral("SELECT"));
  do {
    copy.fields << sql.TakeName();
    sql.Expect(QStringLiteral("AS"));
    copy.aliases << sql.TakeName();
  } while (sql.Accept(QStringLiteral(",")));
  sql.Expect(QStringLiteral("INTO"));
  copy.target = sql.TakeName();
  sql.Expect(QStringLiteral("FROM"));
  copy.source = sql.TakeName();
  sql.ExpectEnd();
  return copy;
}

std::vector<int> SourceColumns(const Table& source, const QStringList& fields) {
  std::vector<int> columns;
  for (const QString& field : fields) {
    columns.push_back(ColumnIndex(source.columns, field));
    if (columns.back() < 0) throw InvalidColumnName(field);
  }
  return columns;
}

Result CopyInto(Database& database, SqlReader& sql) {
  const CopyStatement statement = ParseCopy(sql);
  const Table& source = ExistingObject(database, statement.source);
  const std::vector<int> sourceColumns = SourceColumns(source, statement.fields);
  RequireFreeName(database, statement.target);
  RequireUniqueColumns(statement.aliases, statement.target);
  Table copy{statement.target, statement.aliases, {}, QStringLiteral("TABLE")};
  for (const Row& row : source.rows) {
    Row copied;
    for (int column : sourceColumns) copied.push_back(row[column]);
    copy.rows.push_back(std::move(copied));
  }
  database.Create(std::move(copy));
  return {};
}

// object_id(N'...'): the object a one- or more-part name denotes, or none.
const Table* ObjectNamed(const Database& database, const QString& text) {
  try {
    SqlReader name(text);
    QString last = name.TakeName();
    while (name.Accept(QStringLiteral("."))) last = name.TakeName();
    name.ExpectEnd();
    return database.Find(last);
  } catch (const adodb::Error&) {
    return nullptr;
  }
}

Result DropIfExists(Database& database, SqlReader& sql) {
  sql.Expect(QStringLiteral("if exists (select * from sysobjects where id = object_id("));
  const QString checked = sql.TakeString();
  sql.Expect(QStringLiteral(") and OBJECTPROPERTY(id, N'IsUserTable') = 1) drop table"));
  const QString dropped = sql.TakeName();
  sql.ExpectEnd();

  const Table* table = ObjectNamed(database, checked);
  if (!table || table->type != QLatin1String("TABLE")) return {};
  const Table* victim = database.Find(dropped);
  if (!victim || victim->type != QLatin1String("TABLE")) throw CannotDrop(dropped);
  database.Drop(dropped);
  return {};
}

// A statement is all or nothing: every row is checked before the first one goes in.
Result InsertValues(Table& table, SqlReader& sql) {
  std::vector<Row> rows;
  do {
    sql.Expect(QStringLiteral("("));
    Row& row = rows.emplace_back();
    do {
      row.push_back(sql.TakeLiteral());
    } while (sql.Accept(QStringLiteral(",")));
    sql.Expect(QStringLiteral(")"));
  } while (sql.Accept(QStringLiteral(",")));
  sql.ExpectEnd();
  for (const Row& row : rows) {
    if (row.size() != static_cast<size_t>(table.columns.size())) throw ValueCountMismatch();
  }
  table.rows.insert(table.rows.end(), rows.begin(), rows.end());
  return {};
}

// SELECT * FROM [db]..[source], the source in another database of the same server.
Result InsertSelect(Table& table, SqlReader& sql, const DatabaseNamed& databaseNamed) {
  sql.Expect(QStringLiteral("SELECT * FROM"));
  const QString database = sql.TakeName();
  sql.Expect(QStringLiteral(". ."));
  const QString name = sql.TakeName();
  sql.ExpectEnd();
  if (!databaseNamed) sql.FailHere();
  const Table& source = ExistingObject(databaseNamed(database), name);
  if (source.columns.size() != table.columns.size()) throw ValueCountMismatch();
  const std::vector<Row> copied = source.rows;  // the source may be the target itself
  table.rows.insert(table.rows.end(), copied.begin(), copied.end());
  return {};
}

Result Insert(Database& database, SqlReader& sql, const DatabaseNamed& databaseNamed) {
  sql.Expect(QStringLiteral("INSERT INTO"));
  const QString name = sql.TakeName();
  Table* table = database.Find(name);
  if (sql.Accept(QStringLiteral("VALUES"))) {
    if (!table) throw InvalidObjectName(name);
    return InsertValues(*table, sql);
  }
  if (!table) throw InvalidObjectName(name);
  return InsertSelect(*table, sql, databaseNamed);
}

}  // namespace

const Table& ExistingObject(const Database& database, const QString& name) {
  const Table* table = database.Find(name);
  if (!table) throw InvalidObjectName(name);
  return *table;
}

void RequireFreeName(const Database& database, const QString& name) {
  if (database.Find(name)) throw ObjectExists(name);
}

void RequireUniqueColumns(const QStringList& columns, const QString& table) {
  for (int i = 1; i < columns.size(); ++i) {
    if (ColumnIndex(columns, columns[i]) < i) throw DuplicateColumn(columns[i], table);
  }
}

Result RunStatement(Database& database, const QString& statement,
                    const DatabaseNamed& databaseNamed) {
  SqlReader sql(statement);
  if (sql.NextIs(QStringLiteral("SELECT * FROM"))) return SelectAll(database, sql);
  if (sql.NextIs(QStringLiteral("SELECT * INTO"))) return RunFullOuterJoin(database, sql);
  if (sql.NextIs(QStringLiteral("SELECT COUNT ( * ) FROM"))) return CountAll(database, sql);
  if (sql.NextIs(QStringLiteral("SELECT"))) return CopyInto(database, sql);
  if (sql.NextIs(QStringLiteral("IF EXISTS"))) return DropIfExists(database, sql);
  if (sql.NextIs(QStringLiteral("INSERT INTO"))) return Insert(database, sql, databaseNamed);
  sql.FailHere();
}

}  // namespace fake
