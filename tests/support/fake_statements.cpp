#include "support/fake_statements.h"
#include <algorithm>
#include <optional>

#include "support/fake_errors.h"

namespace fake {
namespace {

const Table& ExistingTable(Database& database, const QualifiedName& name) {
  const Table* table = database.Find(name);
  if (!table) throw InvalidObjectName(name.name);
  return *table;
}

// [table], [schema].[table], [database]..[table] or [database].[schema].[table]: a table of
// another database of the server (`database` names it), under its default schema or the one
// named.
struct SelectedName {
  QString database;
  QualifiedName name;
};

SelectedName TakeSelectedName(SqlReader& sql) {
  const QString first = sql.TakeName();
  if (sql.Accept(QStringLiteral(". ."))) return {first, {QString(), sql.TakeName()}};
  if (!sql.Accept(QStringLiteral("."))) return {QString(), {QString(), first}};
  const QString second = sql.TakeName();
  if (sql.Accept(QStringLiteral("."))) return {first, {second, sql.TakeName()}};
  return {QString(), {first, second}};
}

// WHERE column op literal, the one condition this server reads (in brackets or not): =, <>, <,
// >, <= or >=, numbers compared as numbers; a NULL meets no condition.
struct Condition {
  QString column;
  QString op;
  adodb::Value value;
  bool negated = false;  // NOT before it
};

// Between any number of parentheses, NOT among them or not.
std::optional<Condition> TakeCondition(SqlReader& sql) {
  if (!sql.Accept(QStringLiteral("WHERE"))) return std::nullopt;
  int brackets = 0;
  while (sql.Accept(QStringLiteral("("))) ++brackets;
  const bool negated = sql.Accept(QStringLiteral("NOT"));
  while (sql.Accept(QStringLiteral("("))) ++brackets;
  Condition condition{sql.TakeName(), {}, {}, negated};
  for (const char* op : {"< >", "< =", "> =", "=", "<", ">"}) {
    if (sql.Accept(QString::fromLatin1(op))) {
      condition.op = QString::fromLatin1(op).remove(QLatin1Char(' '));
      break;
    }
  }
  if (condition.op.isEmpty()) sql.FailHere();
  condition.value = sql.TakeLiteral();
  for (; brackets > 0; --brackets) sql.Expect(QStringLiteral(")"));
  return condition;
}

// Whether `value`, not NULL, compares with the condition's value as its operator asks.
bool Compares(const Condition& condition, const adodb::Value& value) {
  bool numbers = false;
  bool number = false;
  const double left = value.text.toDouble(&numbers);
  const double right = condition.value.text.toDouble(&number);
  const int order = numbers && number ? (left < right   ? -1
                                         : left > right ? 1
                                                        : 0)
                                      : value.text.compare(condition.value.text);
  const QString& op = condition.op;
  return op == QLatin1String("=")    ? order == 0
         : op == QLatin1String("<>") ? order != 0
         : op == QLatin1String("<")  ? order < 0
         : op == QLatin1String(">")  ? order > 0
         : op == QLatin1String("<=") ? order <= 0
                                     : order >= 0;
}

bool Holds(const Condition& condition, int column, const Row& row) {
  const adodb::Value& value = row[static_cast<std::size_t>(column)];
  if (value.IsNull() || condition.value.IsNull()) return false;
  return Compares(condition, value) != condition.negated;
}

std::vector<Row> RowsWhere(const Table& table, const std::optional<Condition>& condition) {
  if (!condition) return table.rows;
  const int column = ColumnIndex(table.columns, condition->column);
  if (column < 0) throw InvalidColumnName(condition->column);
  std::vector<Row> rows;
  for (const Row& row : table.rows) {
    if (Holds(*condition, column, row)) rows.push_back(row);
  }
  return rows;
}

Result SelectAll(Database& database, SqlReader& sql, const DatabaseNamed& databaseNamed) {
  bool noRows = sql.Accept(QStringLiteral("SELECT TOP 0 * FROM"));
  if (!noRows) sql.Expect(QStringLiteral("SELECT * FROM"));
  const SelectedName selected = TakeSelectedName(sql);
  noRows = sql.Accept(QStringLiteral("WHERE 1 = 0")) || noRows;
  const std::optional<Condition> condition = TakeCondition(sql);
  // The rows are kept in their key's order here.
  if (sql.Accept(QStringLiteral("ORDER BY"))) sql.TakeName();
  sql.ExpectEnd();
  if (!selected.database.isEmpty() && !databaseNamed) sql.FailHere();
  const Table& table = selected.database.isEmpty()
                           ? ExistingTable(database, selected.name)
                           : ExistingTable(databaseNamed(selected.database), selected.name);
  QStringList types;
  if (table.facts.size() == static_cast<std::size_t>(table.columns.size())) {
    for (const MSSQL::ColumnFacts& column : table.facts) types << column.type;
  }
  return {true, table.columns, noRows ? std::vector<Row>{} : RowsWhere(table, condition), types};
}

Result CountAll(Database& database, SqlReader& sql) {
  if (!sql.Accept(QStringLiteral("SELECT COUNT_BIG ( * ) FROM"))) {
    sql.Expect(QStringLiteral("SELECT COUNT ( * ) FROM"));
  }
  const QualifiedName name = TakeTableName(sql);
  const std::optional<Condition> condition = TakeCondition(sql);
  sql.ExpectEnd();
  const Table& table = ExistingTable(database, name);
  const std::size_t rows = RowsWhere(table, condition).size();
  return {true, {QString()}, {{adodb::Value::Text(QString::number(rows))}}, {}};
}

// SELECT [field] AS [alias],... INTO target FROM [source]: a copy under new column names.
struct CopyStatement {
  QStringList fields;
  QStringList aliases;
  QString target;
  QualifiedName source;
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
  copy.source = TakeTableName(sql);
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
  const Table& source = ExistingTable(database, statement.source);
  const std::vector<int> sourceColumns = SourceColumns(source, statement.fields);
  RequireFreeName(database, statement.target);
  RequireUniqueColumns(statement.aliases, statement.target);
  Table copy{statement.target, statement.aliases, {}, QStringLiteral("TABLE"), {}, {}};
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

// "([a], [b])" after the table: the columns the values go into, the others NULL.
std::vector<int> NamedColumns(const Table& table, SqlReader& sql) {
  std::vector<int> columns;
  if (!sql.Accept(QStringLiteral("("))) {
    for (int i = 0; i < table.columns.size(); ++i) columns.push_back(i);
    return columns;
  }
  do {
    const QString name = sql.TakeName();
    columns.push_back(ColumnIndex(table.columns, name));
    if (columns.back() < 0) throw InvalidColumnName(name);
  } while (sql.Accept(QStringLiteral(",")));
  sql.Expect(QStringLiteral(")"));
  return columns;
}

Row Placed(const Table& table, const std::vector<int>& columns, const Row& values) {
  Row row(static_cast<std::size_t>(table.columns.size()), adodb::Value::Null());
  for (std::size_t i = 0; i < columns.size(); ++i) row[columns[i]] = values[i];
  return row;
}

// A statement is all or nothing: every row is checked before the first one goes in.
Result InsertValues(Table& table, const std::vector<int>& columns, SqlReader& sql) {
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
    if (row.size() != columns.size()) throw ValueCountMismatch();
  }
  for (const Row& row : rows) table.rows.push_back(Placed(table, columns, row));
  Result result;
  result.changed = static_cast<qint64>(rows.size());
  return result;
}

// SELECT * FROM [db]..[source] or [db].[schema].[source], the source in another database of
// the same server.
Result InsertSelect(Table& table, SqlReader& sql, const DatabaseNamed& databaseNamed) {
  sql.Expect(QStringLiteral("SELECT * FROM"));
  const SelectedName selected = TakeSelectedName(sql);
  const std::optional<Condition> condition = TakeCondition(sql);
  sql.ExpectEnd();
  if (!databaseNamed || selected.database.isEmpty()) sql.FailHere();
  const Table& source = ExistingTable(databaseNamed(selected.database), selected.name);
  if (source.columns.size() != table.columns.size()) throw ValueCountMismatch();
  // As SQL Server does, an identity column takes no value without a column list.
  if (std::any_of(table.facts.begin(), table.facts.end(), [](auto& c) { return c.identity; })) {
    throw adodb::Error(QStringLiteral("An explicit value for the identity column in table '%1' can "
                                      "only be specified when a column list is used and "
                                      "IDENTITY_INSERT is ON.")
                           .arg(table.name),
                       QStringLiteral("42000"), 8101);
  }
  const std::vector<Row> copied = RowsWhere(source, condition);  // the source may be the target
  table.rows.insert(table.rows.end(), copied.begin(), copied.end());
  Result result;
  result.changed = static_cast<qint64>(copied.size());
  return result;
}

Result Insert(Database& database, SqlReader& sql, const DatabaseNamed& databaseNamed) {
  sql.Expect(QStringLiteral("INSERT INTO"));
  const QualifiedName name = TakeTableName(sql);
  Table* table = database.Find(name);
  if (!table) throw InvalidObjectName(name.name);
  if (sql.NextIs(QStringLiteral("SELECT"))) return InsertSelect(*table, sql, databaseNamed);
  const std::vector<int> columns = NamedColumns(*table, sql);
  sql.Expect(QStringLiteral("VALUES"));
  return InsertValues(*table, columns, sql);
}

Result IdentityInsert(Database& database, SqlReader& sql) {
  sql.Expect(QStringLiteral("SET IDENTITY_INSERT"));
  ExistingTable(database, TakeTableName(sql));
  if (!sql.Accept(QStringLiteral("ON"))) sql.Expect(QStringLiteral("OFF"));
  sql.ExpectEnd();
  return {};
}

}  // namespace

QualifiedName TakeTableName(SqlReader& sql) {
  QualifiedName name{QString(), sql.TakeName()};
  if (!sql.Accept(QStringLiteral("."))) return name;
  name.schema = name.name;
  name.name = sql.TakeName();
  return name;
}

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
  if (Result result; RunCatalogueQuery(database, statement, result)) return result;
  SqlReader sql(statement);
  if (sql.NextIs(QStringLiteral("SET IDENTITY_INSERT"))) return IdentityInsert(database, sql);
  if (sql.NextIs(QStringLiteral("SELECT * FROM")) ||
      sql.NextIs(QStringLiteral("SELECT TOP 0 * FROM"))) {
    return SelectAll(database, sql, databaseNamed);
  }
  if (sql.NextIs(QStringLiteral("SELECT * INTO"))) return RunFullOuterJoin(database, sql);
  if (sql.NextIs(QStringLiteral("SELECT COUNT ( * ) FROM")) ||
      sql.NextIs(QStringLiteral("SELECT COUNT_BIG ( * ) FROM"))) {
    return CountAll(database, sql);
  }
  if (sql.NextIs(QStringLiteral("SELECT"))) return CopyInto(database, sql);
  if (sql.NextIs(QStringLiteral("IF EXISTS"))) return DropIfExists(database, sql);
  if (sql.NextIs(QStringLiteral("INSERT INTO"))) return Insert(database, sql, databaseNamed);
  sql.FailHere();
}

}  // namespace fake
