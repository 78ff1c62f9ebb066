#pragma once

// The key a run reads its source by, so that "written up to key K" names exactly the rows
// written: the source's primary key, or else a unique index whose columns are all NOT NULL, as
// the source's own server knows them. A run cut off goes on after the last key it wrote.

#include <QString>
#include <QStringList>
#include <optional>

#include "catalogue/table_name.h"
#include "platform/odbc/adodb.h"

namespace append {

struct ResumeKey {
  QStringList columns;  // in the key's order; empty: the table has none a run can go on after
  QString why;          // why not, when it has none: "has no primary key ..."
};

// The statement that asks for it: its key columns and their types, in the key's order.
QString ResumeKeyStatement(const MSSQL::TableName& table);

// Asked of the source's session, where its name resolves as the run's statements resolve it.
ResumeKey ReadResumeKey(adodb::Connection& connection, const MSSQL::TableName& table);

// The keys of many tables in one statement, in the order given (a copy of many tables reads
// them with its plan).
std::vector<ResumeKey> ReadResumeKeys(adodb::Connection& connection,
                                      const std::vector<MSSQL::TableName>& tables);

// "[a], [b]": the key's columns as an ORDER BY lists them.
QString KeyOrder(const QStringList& key);

// The rows after `after` (the key's values as literals, one a column) in the key's order:
// "/*key*/([a] > 1 OR ([a] = 1 AND [b] > N'x'))/*/key*/". The comments mark the key's values,
// which are a row's values, for what shows the statements to leave them out.
QString AfterKeyCondition(const QStringList& key, const QStringList& after);

// Both conditions, either of which may be empty.
QString BothConditions(const QString& first, const QString& second);

// The largest key `table` holds, as literals; none when it holds no row.
std::optional<QStringList> ReadLargestKey(adodb::Connection& connection,
                                          const MSSQL::TableName& table, const QStringList& key);

}  // namespace append
