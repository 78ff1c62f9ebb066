#include "copy/existing_targets.h"

#include <algorithm>

#include "catalogue/catalogue.h"

namespace copy {
namespace {

struct Named {
  const char* word;
  ExistingTarget choice;
};

constexpr Named kChoices[] = {{"append", ExistingTarget::Append},
                              {"keep", ExistingTarget::Keep},
                              {"refuse", ExistingTarget::Refuse},
                              {"empty", ExistingTarget::Empty},
                              {"replace", ExistingTarget::Replace}};

constexpr int kDeleteBatch = 10000;  // rows a DELETE, so that the log stays small

bool SameTable(const MSSQL::TableName& a, const MSSQL::TableName& b) {
  return a.schema.compare(b.schema, Qt::CaseInsensitive) == 0 &&
         a.name.compare(b.name, Qt::CaseInsensitive) == 0;
}

bool Among(const std::vector<MSSQL::TableName>& tables, const MSSQL::TableName& table) {
  return std::any_of(tables.begin(), tables.end(),
                     [&](const MSSQL::TableName& one) { return SameTable(one, table); });
}

QString Rows(qint64 rows) {
  return rows == 1 ? QStringLiteral("1 row") : QStringLiteral("%1 rows").arg(rows);
}

}  // namespace

std::optional<ExistingTarget> ExistingTargetNamed(const QString& word) {
  for (const Named& named : kChoices) {
    if (word.trimmed().compare(QLatin1String(named.word), Qt::CaseInsensitive) == 0) {
      return named.choice;
    }
  }
  return std::nullopt;
}

QString ExistingTargetWords() {
  return QStringLiteral("append, keep, refuse, empty or replace");
}

std::vector<bool> TablesThere(adodb::Connection& connection,
                              const std::vector<MSSQL::TableName>& tables) {
  if (tables.empty()) return {};
  QStringList objects;
  for (const MSSQL::TableName& table : tables) {
    objects << QStringLiteral("CASE WHEN OBJECT_ID(%1, N'U') IS NULL THEN 0 ELSE 1 END")
                   .arg(MSSQL::NationalLiteral(table.Bracketed()));
  }
  const std::unique_ptr<adodb::Recordset> row =
      adodb::ExecuteForOneRow(connection, QStringLiteral("SELECT ") + objects.join(u','));
  std::vector<bool> there;
  for (int at = 0; at < static_cast<int>(tables.size()); ++at) {
    there.push_back(row->FieldValue(at).text == QLatin1String("1"));
  }
  return there;
}

// One statement however many tables: a column a table, in the list's order.
std::vector<qint64> RowsOfTables(adodb::Connection& connection,
                                 const std::vector<MSSQL::TableName>& tables) {
  if (tables.empty()) return {};
  QStringList counts;
  for (const MSSQL::TableName& table : tables) {
    counts << QStringLiteral("(SELECT COUNT_BIG(*) FROM %1)").arg(table.Bracketed());
  }
  const std::unique_ptr<adodb::Recordset> row =
      adodb::ExecuteForOneRow(connection, QStringLiteral("SELECT ") + counts.join(u','));
  std::vector<qint64> rows;
  for (int at = 0; at < static_cast<int>(tables.size()); ++at) {
    rows.push_back(row->FieldValue(at).text.toLongLong());
  }
  return rows;
}

QString ExistingTargetWordsFor(ExistingTarget choice, qint64 rows) {
  const QString holds = QStringLiteral("holds ") + Rows(rows);
  switch (choice) {
    case ExistingTarget::Keep:
      return holds + QStringLiteral(", left as it is (--existing keep)");
    case ExistingTarget::Refuse:
      return holds + QStringLiteral(", refused (--existing refuse)");
    case ExistingTarget::Empty:
      return holds + QStringLiteral(", emptied first");
    case ExistingTarget::Replace:
      return holds + QStringLiteral(", dropped and made again");
    case ExistingTarget::Unchosen:
    case ExistingTarget::Append:
      break;
  }
  return holds + QStringLiteral(", appended to");
}

std::vector<MSSQL::TableName> ReferencingFromOutside(
    const std::vector<MSSQL::TableName>& tables, const std::vector<MSSQL::ForeignKey>& targetKeys) {
  std::vector<MSSQL::TableName> outside;
  for (const MSSQL::ForeignKey& key : targetKeys) {
    if (!Among(tables, key.parent) || Among(tables, key.child) || Among(outside, key.child)) {
      continue;
    }
    outside.push_back(key.child);
  }
  return outside;
}

std::vector<QString> EmptyingStatements(const std::vector<MSSQL::TableName>& inFillOrder,
                                        const std::vector<MSSQL::ForeignKey>& targetKeys) {
  std::vector<QString> statements;
  for (auto table = inFillOrder.rbegin(); table != inFillOrder.rend(); ++table) {
    bool referenced = false;
    bool itself = false;
    for (const MSSQL::ForeignKey& key : targetKeys) {
      if (!SameTable(key.parent, *table)) continue;
      referenced = true;
      itself = itself || SameTable(key.child, *table);
    }
    const QString name = table->Bracketed();
    if (!referenced) {
      statements.push_back(QStringLiteral("TRUNCATE TABLE ") + name);
    } else if (itself) {
      statements.push_back(QStringLiteral("DELETE FROM ") + name);
    } else {
      statements.push_back(QStringLiteral("WHILE 1 = 1 BEGIN DELETE TOP (%1) FROM %2; IF "
                                          "@@ROWCOUNT = 0 BREAK; END")
                               .arg(kDeleteBatch)
                               .arg(name));
    }
  }
  return statements;
}

}  // namespace copy
