#pragma once

// The statements the append engine sends: the read of a whole table, and one INSERT per row.

#include <QString>
#include <vector>

#include "platform/adodb.h"

namespace append {

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

}  // namespace append
