#pragma once

// The statements the append engine sends: the read of a whole table, one INSERT per row, and
// the fast append's INSERT of many rows and its copy by the server itself.

#include <QString>
#include <vector>

#include "catalogue/table_name.h"
#include "platform/odbc/adodb.h"

namespace append {

using Row = std::vector<adodb::Value>;

// Where each row goes: the table, and when some of its columns must be named (an identity key
// given its value, columns the server fills itself left out), the column list and the
// positions of the row's values that go into those columns, in order.
struct InsertTarget {
  MSSQL::TableName table;
  QString columnList;                  // "([a], [b])", or empty: every value by position
  std::vector<std::size_t> positions;  // with a column list: the values written
  bool identity = false;               // the list names the identity column
  QString selectList;  // by name: "[a], [b]", the source's columns for those of the list
};

// "SELECT * FROM [name]" (or "[schema].[name]"), "]" in a name doubled; " WHERE " and the
// search condition `where` as the user wrote it, when one is given; " ORDER BY " and `order`,
// when one is given.
QString SelectAllStatement(const MSSQL::TableName& table, const QString& where = {},
                           const QString& order = {});
// "SELECT COUNT_BIG(*) FROM [name]", or "SELECT COUNT(*) ..." for a server without COUNT_BIG;
// with `where` as above.
// How many foreign keys of `table` reference the table itself.
QString SelfReferenceStatement(const MSSQL::TableName& table);

QString CountStatement(const MSSQL::TableName& table, bool big = true, const QString& where = {});

// A value as a Transact-SQL literal: NULL; 'text' with "'" doubled, or N'text' when the text
// holds a character outside 7-bit ASCII; binary as 0x and the hex of its bytes.
QString SqlLiteral(const adodb::Value& value);
// Whether the text is one literal as SqlLiteral writes it, and nothing else: NULL, 0x and hex
// digits, or quoted text (N'...' for other than ASCII) joined by +NCHAR(0)+.
bool IsSqlLiteral(const QString& text);

// "INSERT INTO [name] VALUES(literal, literal, ...)", no column list: values go by position.
QString InsertStatement(const MSSQL::TableName& table, const std::vector<adodb::Value>& values);
// The same into `statement`, whose storage serves again when it is large enough.
void WriteInsertStatement(QString& statement, const MSSQL::TableName& table,
                          const std::vector<adodb::Value>& values);
// "INSERT INTO [name] ([a], [b]) VALUES(...)" with the values at the target's positions, or
// the statement above when the target needs no column list.
void WriteInsertStatement(QString& statement, const InsertTarget& target, const Row& values);

// "([a], [b])" for the column names.
QString ColumnList(const QStringList& columns);
// "SET IDENTITY_INSERT [name] ON" or "... OFF".
QString IdentityInsertStatement(const MSSQL::TableName& table, bool on);

// "INSERT INTO [name] VALUES(literals of row 1), (literals of row 2), ...": the per-row
// statement's value texts, the rows in order; for one row it is the per-row statement.
void WriteInsertRowsStatement(QString& statement, const MSSQL::TableName& table, const Row* rows,
                              std::size_t count);
// The same with the target's column list and the values at its positions.
void WriteInsertRowsStatement(QString& statement, const InsertTarget& target, const Row* rows,
                              std::size_t count);
// The length of a row's part of that statement at most, for keeping statements bounded.
qsizetype LongestRowText(const Row& row);

// [database]..[table] names the default schema, [database].[schema].[table] another.
QString InDatabase(const QString& database, const MSSQL::TableName& table);

// "INSERT INTO [target] SELECT * FROM [database]..[source]": the server copies the rows of a
// table of another database (found under the login's default schema, as a bare name is, or
// "[database].[schema].[source]" for a table of another schema).
QString InsertSelectStatement(const MSSQL::TableName& target, const QString& sourceDatabase,
                              const MSSQL::TableName& source);
// By name: "INSERT INTO [target] ([a], [b]) SELECT [a], [b] FROM [database]..[source]"; the
// statement above when the target has no select list. Either copies only the rows for which
// `where` holds, when it is given.
QString InsertSelectStatement(const InsertTarget& target, const QString& sourceDatabase,
                              const MSSQL::TableName& source, const QString& where = {});
// On the source's own session, one server: how many of the source's rows (those `where`
// chooses) have a key the target holds already, the key's columns compared by name.
QString KeysThereStatement(const MSSQL::TableName& source, const QString& targetDatabase,
                           const MSSQL::TableName& target, const QStringList& keyColumns,
                           const QString& where);
// The same copy sent on the source's own session, so that the names of `where` are read in the
// source's database as its count reads them: "INSERT INTO [database]..[target] SELECT * FROM
// [source] WHERE ...", with the target's column and select lists when it has them.
QString InsertSelectFromHereStatement(const InsertTarget& target, const QString& targetDatabase,
                                      const MSSQL::TableName& source, const QString& where);

}  // namespace append
