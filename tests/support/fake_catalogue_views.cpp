#include <QRegularExpression>
#include <algorithm>

#include "support/fake_statements.h"

namespace fake {
namespace {

QString Unquoted(QString text) {
  return text.replace(QLatin1String("''"), QLatin1String("'"));
}

adodb::Value Flag(bool set) {
  return adodb::Value::Text(set ? QStringLiteral("1") : QStringLiteral("0"));
}

Result SchemaName() {
  return {true, {QString()}, {{adodb::Value::Text(QStringLiteral("dbo"))}}, {}};
}

// "[schema].[name]" or "[name]", "]]" standing for "]".
QualifiedName FromBrackets(const QString& bracketed) {
  QStringList parts;
  QString part;
  for (qsizetype i = 0; i < bracketed.size(); ++i) {
    const QChar c = bracketed[i];
    if (c == u'[') continue;
    if (c == u']' && i + 1 < bracketed.size() && bracketed[i + 1] == u']') {
      part += c;
      ++i;
    } else if (c == u']') {
      parts << part;
      part.clear();
      if (i + 1 < bracketed.size() && bracketed[i + 1] == u'.') ++i;
    } else {
      part += c;
    }
  }
  return parts.size() == 2 ? QualifiedName{parts[0], parts[1]} : QualifiedName{{}, parts.value(0)};
}

// The table a statement names in its first OBJECT_ID(N'...'), or else in the count it asks for,
// when it was given its facts: a table without them is not answered, as a server without the
// functions would not.
const Table* TableWithFacts(Database& database, const QString& statement) {
  static const QRegularExpression kTable(QStringLiteral("OBJECT_ID\\(N'((?:[^']|'')*)'\\)"));
  static const QRegularExpression kCounted(
      QStringLiteral("\\(SELECT COUNT_BIG\\(\\*\\) FROM (.*)\\)$"));
  const QRegularExpressionMatch match = kTable.match(statement);
  const QRegularExpressionMatch counted = kCounted.match(statement);
  const Table* table = match.hasMatch() ? database.Find(FromBrackets(Unquoted(match.captured(1))))
                       : counted.hasMatch() ? database.Find(FromBrackets(counted.captured(1)))
                                            : nullptr;
  return table && !table->facts.empty() ? table : nullptr;
}

// The server's functions, and the identity and computed flags of as many columns as the
// statement asks about, from the facts.
bool ServerRow(Database& database, const QString& statement, Result& result) {
  const Table* table = TableWithFacts(database, statement);
  // Asked of no table, the server answers when any table of the database was given facts.
  const bool anyFacts = std::any_of(database.Objects().begin(), database.Objects().end(),
                                    [](const auto& object) { return !object->facts.empty(); });
  if (!table && (statement.contains(QLatin1String("OBJECT_ID")) || !anyFacts)) return false;
  // "NULL" in the schema's place: not asked for.
  const bool schema = !statement.startsWith(QLatin1String("SELECT @@SERVERNAME, NULL"));
  Row row{adodb::Value::Text(QStringLiteral("FAKE")),
          table && schema ? adodb::Value::Text(table->Schema()) : adodb::Value::Null()};
  const qsizetype asked = statement.count(QLatin1String("'IsIdentity'"));
  for (qsizetype i = 0; table && i < asked && static_cast<std::size_t>(i) < table->facts.size();
       ++i) {
    row.push_back(Flag(table->facts[static_cast<std::size_t>(i)].identity));
    row.push_back(Flag(table->facts[static_cast<std::size_t>(i)].computed));
  }
  if (table && statement.contains(QLatin1String("(SELECT COUNT_BIG(*) FROM "))) {
    row.push_back(adodb::Value::Text(QString::number(table->rows.size())));
  }
  result = {true, QStringList(static_cast<qsizetype>(row.size()), QString()), {row}, {}};
  return true;
}

// The object a quoted "[schema].[name]" names, as OBJECT_ID gives it: NULL when there is none.
adodb::Value ObjectOf(Database& database, const QString& quoted) {
  const Table* table = database.Find(FromBrackets(Unquoted(quoted)));
  return table ? adodb::Value::Text(QString::number(reinterpret_cast<quintptr>(table)))
               : adodb::Value::Null();
}

}  // namespace

bool RunCatalogueQuery(Database& database, const QString& statement, Result& result) {
  if (statement.compare(QLatin1String("SELECT SCHEMA_NAME()"), Qt::CaseInsensitive) == 0) {
    result = SchemaName();
    return true;
  }
  // The foreign keys a copy of several tables orders them by: none here.
  if (statement.startsWith(QLatin1String(
          "SELECT OBJECT_SCHEMA_NAME(parent_object_id), OBJECT_NAME(parent_object_id), "))) {
    result = {true, {QString(), QString(), QString(), QString()}, {}, {}};
    return true;
  }
  // A copy's tables paired with their targets: each target's schema and name, NULL when the
  // database has no table of that name.
  if (statement.startsWith(QLatin1String("SELECT v.n, OBJECT_SCHEMA_NAME(v.id), OBJECT_NAME("))) {
    static const QRegularExpression kWanted(
        QStringLiteral("\\((\\d+), OBJECT_ID\\(N'((?:[^']|'')*)', N'U'\\)\\)"));
    result = {true, {QString(), QString(), QString()}, {}, {}};
    for (const QRegularExpressionMatch& match : kWanted.globalMatch(statement)) {
      const Table* table = database.Find(FromBrackets(Unquoted(match.captured(2))));
      result.rows.push_back({adodb::Value::Text(match.captured(1)),
                             table ? adodb::Value::Text(table->Schema()) : adodb::Value::Null(),
                             table ? adodb::Value::Text(table->name) : adodb::Value::Null()});
    }
    return true;
  }
  // A run's mark on its target: always free here, the target in the default schema.
  if (statement.contains(QLatin1String("sp_getapplock @Resource = @mark"))) {
    const adodb::Value dbo = adodb::Value::Text(QStringLiteral("dbo"));
    result = {true, {QString(), QString(), QString()}, {{adodb::Value::Text("0"), dbo, dbo}}, {}};
    return true;
  }
  // The look at a new table's name: its object, and the database's collation.
  static const QRegularExpression kLook(
      QStringLiteral("^SELECT OBJECT_ID\\(N'((?:[^']|'')*)'\\), CAST\\(DATABASEPROPERTYEX"));
  if (const QRegularExpressionMatch match = kLook.match(statement); match.hasMatch()) {
    result = {true,
              {QString(), QString()},
              {{ObjectOf(database, match.captured(1)), adodb::Value::Text("FAKE_CI_AS")}},
              {}};
    return true;
  }
  // User tables' objects, one a column; then, when asked, whether names compare without their
  // letter case (they do here, as on SQL Server by default).
  static const QRegularExpression kUserTables(QStringLiteral(
      "^SELECT OBJECT_ID\\(N'(?:[^']|'')*', N'U'\\)(, OBJECT_ID\\(N'(?:[^']|'')*', N'U'\\))*"
      "(, CASE WHEN N'a' = N'A' THEN 1 ELSE 0 END)?$"));
  if (const QRegularExpressionMatch tables = kUserTables.match(statement); tables.hasMatch()) {
    static const QRegularExpression kUserTable(QStringLiteral("N'((?:[^']|'')*)', N'U'"));
    Row row;
    for (const QRegularExpressionMatch& match : kUserTable.globalMatch(statement)) {
      row.push_back(ObjectOf(database, match.captured(1)));
    }
    if (tables.hasCaptured(2)) row.push_back(adodb::Value::Text(QStringLiteral("1")));
    result = {true, QStringList(static_cast<qsizetype>(row.size()), QString()), {row}, {}};
    return true;
  }
  // The key a run reads its source by: its columns, each an int.
  if (statement.startsWith(QLatin1String("SELECT c.name, TYPE_NAME(c.system_type_id) FROM "
                                         "sys.index_columns"))) {
    static const QRegularExpression kTable(QStringLiteral("OBJECT_ID\\(N'((?:[^']|'')*)'\\)"));
    const Table* table = database.Find(FromBrackets(Unquoted(kTable.match(statement).captured(1))));
    result = {true, {QString(), QString()}, {}, {}};
    for (const QString& column : table ? table->key : QStringList()) {
      result.rows.push_back(
          {adodb::Value::Text(column), adodb::Value::Text(QStringLiteral("int"))});
    }
    return true;
  }
  if (statement.startsWith(QLatin1String("SELECT OBJECT_ID("))) {
    const Table* table = TableWithFacts(database, statement);
    if (!table) return false;
    const QString id = QString::number(reinterpret_cast<quintptr>(table));
    result = {true, {QString()}, {{adodb::Value::Text(id)}}, {}};
    return true;
  }
  if (!statement.startsWith(QLatin1String("SELECT @@SERVERNAME"))) return false;
  return ServerRow(database, statement, result);
}

}  // namespace fake
