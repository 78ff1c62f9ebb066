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

}  // namespace

QString ResumeKeyStatement(const MSSQL::TableName& table) {
  const QString id = QStringLiteral("OBJECT_ID(N'") +
                     QString(table.Bracketed()).replace(u'\'', QStringLiteral("''")) +
                     QStringLiteral("')");
  return QStringLiteral(
             "SELECT c.name, TYPE_NAME(c.system_type_id) FROM sys.index_columns ic "
             "JOIN sys.columns c ON c.object_id = ic.object_id AND c.column_id = ic.column_id "
             "WHERE ic.object_id = %1 AND ic.key_ordinal > 0 AND ic.index_id = ("
             "SELECT TOP 1 i.index_id FROM sys.indexes i WHERE i.object_id = %1 "
             "AND i.is_unique = 1 AND i.has_filter = 0 AND NOT EXISTS (SELECT 1 FROM "
             "sys.index_columns x JOIN sys.columns y ON y.object_id = x.object_id "
             "AND y.column_id = x.column_id WHERE x.object_id = i.object_id "
             "AND x.index_id = i.index_id AND x.key_ordinal > 0 AND y.is_nullable = 1) "
             "ORDER BY i.is_primary_key DESC, i.index_id) ORDER BY ic.key_ordinal")
      .arg(id);
}

ResumeKey ReadResumeKey(adodb::Connection& connection, const MSSQL::TableName& table) {
  ResumeKey key;
  const std::unique_ptr<adodb::Recordset> columns = connection.Execute(ResumeKeyStatement(table));
  for (; !columns->Eof(); columns->MoveNext()) {
    const QString type = columns->FieldValue(1).text;
    if (InexactType(type)) {
      key.why = QStringLiteral(
                    "is keyed by its column %1 of type %2, whose values do not read "
                    "back exactly")
                    .arg(columns->FieldValue(0).text, type);
      key.columns.clear();
      return key;
    }
    key.columns << columns->FieldValue(0).text;
  }
  if (key.columns.isEmpty()) {
    key.why = QStringLiteral(
        "has no primary key and no unique index whose columns are all "
        "NOT NULL");
  }
  return key;
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
