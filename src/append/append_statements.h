#pragma once

// The statements the append engine sends: the read of a whole table, one INSERT per row, and
// the fast append's INSERT of many rows and its copy by the server itself.

#include <QString>
#include <vector>

#include "platform/adodb.h"

namespace append {

using Row = std::vector<adodb::Value>;

// "SELECT * FROM [name]", "]" in the name doubled.
QString SelectAllStatement(const QString& table);

// A value as a Transact-SQL literal: NULL; 'text' with "'" doubled, or N'text' when the text
// holds a character outside 7-bit ASCII; binary as 0x and the hex of its bytes.
QString SqlLiteral(const adodb::Value& value);

// "INSERT INTO [name] VALUES(literal, literal, ...)", no column list: values go by position.
QString InsertStatement(const QString& table, const std::vector<adodb::Value>& values);
// The same into `statement`, whose storage serves again when it is large enough.
void WriteInsertStatement(QString& statement, const QString& table,
                          const std::vector<adodb::Value>& values);

// "INSERT INTO [name] VALUES(literals of row 1), (literals of row 2), ...": the per-row
// statement's value texts, the rows in order; for one row it is the per-row statement.
void WriteInsertRowsStatement(QString& statement, const QString& table, const Row* rows,
                              std::size_t count);
// The length of a row's part of that statement at most, for keeping statements bounded.
qsizetype LongestRowText(const Row& row);

// "INSERT INTO [target] SELECT * FROM [database]..[source]": the server copies the rows of a
// table of another database (found under the login's default schema, as a bare name is).
QString InsertSelectStatement(const QString& target, const QString& sourceDatabase,
                              const QString& source);

}  // namespace append
