#include "append/resume/resume_key.h"

#include "append/ways/append_statements.h"
#include "catalogue/catalogue.h"

namespace append {
namespace {

// A value whose text may not read back as the value it was: no point to go on after.
bool InexactType(const QString& type) {
  const QString lower = type.toLower();
  return lower == u"float" || lower == u"real" || lower == u"sql_variant";
}

// The key's index of the table `id` names: the primary key, else the first unique index
// without a filter whose key columns are all NOT NULL.
QString KeyIndexOf(const QString& id) {
  return QStringLiteral(
             "SELECT TOP 1 i.index_id FROM sys.indexes i WHERE i.object_id = %1 "
             "AND i.is_unique = 1 AND i.has_filter = 0 AND NOT EXISTS (SELECT 1 FROM "
             "sys.index_columns x JOIN sys.columns y ON y.object_id = x.object_id "
             "AND y.column_id = x.column_id WHERE x.object_id = i.object_id "
             "AND x.index_id = i.index_id AND x.key_ordinal > 0 AND y.is_nullable = 1) "
             "ORDER BY i.is_primary_key DESC, i.index_id")
      .arg(id);
}

QString ObjectIdOf(const MSSQL::TableName& table) {
  return QStringLiteral("OBJECT_ID(N'") +
         QString(table.Bracketed()).replace(u'\'', QStringLiteral("''")) + QStringLiteral("')");
}

// The key from its columns' names and types, in the key's order.
ResumeKey KeyOf(const std::vector<std::pair<QString, QString>>& columns) {
  ResumeKey key;
  for (const auto& [name, type] : columns) {
    if (InexactType(type)) {
      key.why = QStringLiteral(
                    "is keyed by its column %1 of type %2, whose values do not read "
                    "back exactly")
                    .arg(name, type);
      key.columns.clear();
      return key;
    }
    key.columns << name;
  }
  if (key.columns.isEmpty()) {
    key.why = QStringLiteral(
        "has no primary key and no unique index whose columns are all "
        "NOT NULL");
  }
  return key;
}

}  // namespace

QString ResumeKeyStatement(const MSSQL::TableName& table) {
  const QString id = ObjectIdOf(table);
  return QStringLiteral(
             "SELECT c.name, TYPE_NAME(c.system_type_id) FROM sys.index_columns ic "
             "JOIN sys.columns c ON c.object_id = ic.object_id AND c.column_id = ic.column_id "
             "WHERE ic.object_id = %1 AND ic.key_ordinal > 0 AND ic.index_id = (%2) "
             "ORDER BY ic.key_ordinal")
      .arg(id, KeyIndexOf(id));
}

ResumeKey ReadResumeKey(adodb::Connection& connection, const MSSQL::TableName& table) {
  std::vector<std::pair<QString, QString>> columns;
  const std::unique_ptr<adodb::Recordset> rows = connection.Execute(ResumeKeyStatement(table));
  for (; !rows->Eof(); rows->MoveNext()) {
    columns.emplace_back(rows->FieldValue(0).text, rows->FieldValue(1).text);
  }
  return KeyOf(columns);
}

std::vector<ResumeKey> ReadResumeKeys(adodb::Connection& connection,
                                      const std::vector<MSSQL::TableName>& tables) {
  if (tables.empty()) return {};
  QStringList objects;
  for (std::size_t at = 0; at < tables.size(); ++at) {
    objects << QStringLiteral("(%1, %2)").arg(at).arg(ObjectIdOf(tables[at]));
  }
  const std::unique_ptr<adodb::Recordset> rows = connection.Execute(
      QStringLiteral("SELECT v.n, c.name, TYPE_NAME(c.system_type_id) FROM (VALUES %1) AS v(n, "
                     "id) JOIN sys.index_columns ic ON ic.object_id = v.id JOIN sys.columns c ON "
                     "c.object_id = ic.object_id AND c.column_id = ic.column_id WHERE "
                     "ic.key_ordinal > 0 AND ic.index_id = (%2) ORDER BY v.n, ic.key_ordinal")
          .arg(objects.join(QStringLiteral(", ")), KeyIndexOf(QStringLiteral("v.id"))));
  std::vector<std::vector<std::pair<QString, QString>>> columns(tables.size());
  for (; !rows->Eof(); rows->MoveNext()) {
    const qlonglong n = rows->FieldValue(0).text.toLongLong();
    if (n < 0 || n >= static_cast<qlonglong>(tables.size())) continue;
    columns.at(static_cast<std::size_t>(n))
        .emplace_back(rows->FieldValue(1).text, rows->FieldValue(2).text);
  }
  std::vector<ResumeKey> keys;
  for (const auto& key : columns) keys.push_back(KeyOf(key));
  return keys;
}

QString KeyOrder(const QStringList& key) {
  QStringList bracketed;
  for (const QString& column : key) bracketed << MSSQL::Bracketed(column);
  return bracketed.join(QStringLiteral(", "));
}

QString AfterKeyCondition(const QStringList& key, const QStringList& after) {
  QStringList either;
  for (qsizetype i = 0; i < key.size() && i < after.size(); ++i) {
    QStringList all;
    for (qsizetype j = 0; j < i; ++j) {
      all << MSSQL::Bracketed(key[j]) + QStringLiteral(" = ") + after[j];
    }
    all << MSSQL::Bracketed(key[i]) + QStringLiteral(" > ") + after[i];
    either << (all.size() == 1 ? all[0] : u'(' + all.join(QStringLiteral(" AND ")) + u')');
  }
  return QStringLiteral("/*key*/(") + either.join(QStringLiteral(" OR ")) +
         QStringLiteral(")/*/key*/");
}

QString BothConditions(const QString& first, const QString& second) {
  if (first.isEmpty()) return second;
  if (second.isEmpty()) return first;
  return u'(' + first + QStringLiteral("\n) AND ") + second;
}

std::optional<QStringList> ReadLargestKey(adodb::Connection& connection,
                                          const MSSQL::TableName& table, const QStringList& key) {
  QStringList descending;
  for (const QString& column : key)
    descending << MSSQL::Bracketed(column) + QStringLiteral(" DESC");
  const std::unique_ptr<adodb::Recordset> largest = connection.Execute(
      QStringLiteral("SELECT TOP 1 %1 FROM %2 ORDER BY %3")
          .arg(KeyOrder(key), table.Bracketed(), descending.join(QStringLiteral(", "))));
  if (largest->Eof()) return std::nullopt;
  QStringList literals;
  for (int i = 0; i < largest->FieldCount(); ++i) literals << SqlLiteral(largest->FieldValue(i));
  return literals;
}

}  // namespace append
