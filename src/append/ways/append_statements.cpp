#include "append/ways/append_statements.h"

#include <QRegularExpression>
#include <cstring>

#include "catalogue/catalogue.h"

namespace append {
namespace {

// The writers below put their text at `out`, into a string sized beforehand for the longest
// text they can make, and give the position after it.

// A null text has no characters to copy, and no address either.
char16_t* Put(char16_t* out, QStringView text) {
  if (text.isEmpty()) return out;
  std::memcpy(out, text.utf16(), static_cast<std::size_t>(text.size()) * sizeof(char16_t));
  return out + text.size();
}

// The text with every `mark` doubled: at most twice its length.
char16_t* PutDoubling(char16_t* out, QStringView text, char16_t mark) {
  for (qsizetype at = text.indexOf(QChar(mark)); at >= 0; at = text.indexOf(QChar(mark))) {
    out = Put(out, text.first(at + 1));
    *out++ = mark;
    text = text.sliced(at + 1);
  }
  return Put(out, text);
}

bool IsAscii(QStringView text) {
  char16_t units = 0;
  for (const QChar c : text) units |= c.unicode();
  return units < 0x80;
}

// A U+0000 would end the statement text where it stands, so it is written as NCHAR(0) between
// the quoted pieces around it: 'a' + NCHAR(0) + 'b' without the blanks.
char16_t* PutQuotedText(char16_t* out, QStringView text) {
  const bool national = !IsAscii(text);
  for (;;) {
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    if (national) *out++ = u'N';
    *out++ = u'\'';
    out = PutDoubling(out, nul < 0 ? text : text.first(nul), u'\'');
    *out++ = u'\'';
    if (nul < 0) return out;
    out = Put(out, u"+NCHAR(0)+");
    text = text.sliced(nul + 1);
  }
}

char16_t* PutHex(char16_t* out, const QByteArray& bytes) {
  static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
  out = Put(out, u"0x");
  for (const char byte : bytes) {
    const auto value = static_cast<unsigned char>(byte);
    *out++ = kDigits[value >> 4];
    *out++ = kDigits[value & 0xF];
  }
  return out;
}

char16_t* PutLiteral(char16_t* out, const adodb::Value& value) {
  switch (value.kind) {
    case adodb::Value::Kind::Null:
      break;
    case adodb::Value::Kind::Text:
      return PutQuotedText(out, value.text);
    case adodb::Value::Kind::Binary:
      return PutHex(out, value.bytes);
  }
  return Put(out, u"NULL");
}

qsizetype LongestLiteral(const adodb::Value& value) {
  switch (value.kind) {
    case adodb::Value::Kind::Null:
      break;
    case adodb::Value::Kind::Text:
      return 3 + 2 * value.text.size() + 13 * value.text.count(QChar(u'\0'));
    case adodb::Value::Kind::Binary:
      return 2 + 2 * value.bytes.size();
  }
  return 4;
}

qsizetype LongestValues(const Row& values) {
  qsizetype length = 4;
  for (const adodb::Value& value : values) length += 2 + LongestLiteral(value);
  return length;
}

qsizetype LongestTable(const MSSQL::TableName& table) {
  return 5 + 2 * (table.schema.size() + table.name.size());
}

qsizetype LongestInsert(const MSSQL::TableName& table, const Row& values) {
  return 26 + LongestTable(table) + LongestValues(values);
}

char16_t* PutValues(char16_t* out, const Row& values) {
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i > 0) out = Put(out, u", ");
    out = PutLiteral(out, values[i]);
  }
  return out;
}

char16_t* PutValuesAt(char16_t* out, const Row& values, const std::vector<std::size_t>& at) {
  for (std::size_t i = 0; i < at.size(); ++i) {
    if (i > 0) out = Put(out, u", ");
    out = PutLiteral(out, values[at[i]]);
  }
  return out;
}

char16_t* PutBracketed(char16_t* out, QStringView name) {
  *out++ = u'[';
  out = PutDoubling(out, name, u']');
  *out++ = u']';
  return out;
}

char16_t* PutTable(char16_t* out, const MSSQL::TableName& table) {
  if (!table.schema.isEmpty()) {
    out = PutBracketed(out, table.schema);
    *out++ = u'.';
  }
  return PutBracketed(out, table.name);
}

char16_t* PutInsertInto(char16_t* out, const MSSQL::TableName& table, QStringView columnList = {}) {
  out = PutTable(Put(out, u"INSERT INTO "), table);
  if (!columnList.isEmpty()) *out++ = u' ';
  return Put(Put(out, columnList), u" VALUES(");
}

// Sizes `text` for the longest result, lets `write` fill it from its start and cuts it to what
// was written.
template <class Write>
void WriteSized(QString& text, qsizetype longest, Write&& write) {
  text.resize(longest);
  char16_t* const start = reinterpret_cast<char16_t*>(text.data());
  text.resize(write(start) - start);
}

// The condition stands in parentheses of its own, closed on a line of its own, so that a
// comment at its end cannot reach the statement around it.
QString WhereClause(const QString& where) {
  return where.isEmpty() ? QString() : QStringLiteral(" WHERE (") + where + QStringLiteral("\n)");
}

QString CopyStatement(const InsertTarget& target, const QString& into, const QString& from,
                      const QString& where) {
  if (target.selectList.isEmpty()) {
    return QStringLiteral("INSERT INTO ") + into + QStringLiteral(" SELECT * FROM ") + from +
           WhereClause(where);
  }
  return QStringLiteral("INSERT INTO ") + into + QLatin1Char(' ') + target.columnList +
         QStringLiteral(" SELECT ") + target.selectList + QStringLiteral(" FROM ") + from +
         WhereClause(where);
}

}  // namespace

QString InDatabase(const QString& database, const MSSQL::TableName& table) {
  const QString separator = table.schema.isEmpty() ? QStringLiteral("..") : QStringLiteral(".");
  return MSSQL::Bracketed(database) + separator + table.Bracketed();
}

QString SelectAllStatement(const MSSQL::TableName& table, const QString& where,
                           const QString& order) {
  QString statement = QStringLiteral("SELECT * FROM ") + table.Bracketed() + WhereClause(where);
  if (!order.isEmpty()) statement += QStringLiteral(" ORDER BY ") + order;
  return statement;
}

QString CountStatement(const MSSQL::TableName& table, bool big, const QString& where) {
  return (big ? QStringLiteral("SELECT COUNT_BIG(*) FROM ")
              : QStringLiteral("SELECT COUNT(*) FROM ")) +
         table.Bracketed() + WhereClause(where);
}

QString SqlLiteral(const adodb::Value& value) {
  QString literal;
  WriteSized(literal, LongestLiteral(value), [&](char16_t* out) { return PutLiteral(out, value); });
  return literal;
}

bool IsSqlLiteral(const QString& text) {
  static const QString quoted = QStringLiteral("N?'(?:[^']++|'')*+'");
  static const QRegularExpression literal(
      QStringLiteral("\\A(?:NULL|0x[0-9A-F]*+|%1(?:\\+NCHAR\\(0\\)\\+%1)*+)\\z").arg(quoted));
  return literal.match(text).hasMatch();
}

QString InsertStatement(const MSSQL::TableName& table, const std::vector<adodb::Value>& values) {
  QString statement;
  WriteInsertStatement(statement, table, values);
  return statement;
}

// Written straight into one string sized for the longest statement the values can make: an
// INSERT goes out for every row appended.
void WriteInsertStatement(QString& statement, const MSSQL::TableName& table,
                          const std::vector<adodb::Value>& values) {
  WriteSized(statement, LongestInsert(table, values), [&](char16_t* out) {
    out = PutValues(PutInsertInto(out, table), values);
    *out++ = u')';
    return out;
  });
}

void WriteInsertStatement(QString& statement, const InsertTarget& target, const Row& values) {
  if (target.columnList.isEmpty()) return WriteInsertStatement(statement, target.table, values);
  const qsizetype longest = 1 + target.columnList.size() + LongestInsert(target.table, values);
  WriteSized(statement, longest, [&](char16_t* out) {
    out =
        PutValuesAt(PutInsertInto(out, target.table, target.columnList), values, target.positions);
    *out++ = u')';
    return out;
  });
}

QString ColumnList(const QStringList& columns) {
  QStringList bracketed;
  for (const QString& column : columns) bracketed << MSSQL::Bracketed(column);
  return QLatin1Char('(') + bracketed.join(QStringLiteral(", ")) + QLatin1Char(')');
}

QString IdentityInsertStatement(const MSSQL::TableName& table, bool on) {
  return QStringLiteral("SET IDENTITY_INSERT ") + table.Bracketed() +
         (on ? QStringLiteral(" ON") : QStringLiteral(" OFF"));
}

qsizetype LongestRowText(const Row& row) {
  return LongestValues(row);
}

void WriteInsertRowsStatement(QString& statement, const MSSQL::TableName& table, const Row* rows,
                              std::size_t count) {
  WriteInsertRowsStatement(statement, InsertTarget{table, {}, {}, false, {}}, rows, count);
}

void WriteInsertRowsStatement(QString& statement, const InsertTarget& target, const Row* rows,
                              std::size_t count) {
  qsizetype longest = 27 + target.columnList.size() + LongestTable(target.table);
  for (std::size_t i = 0; i < count; ++i) longest += LongestValues(rows[i]);
  WriteSized(statement, longest, [&](char16_t* out) {
    out = PutInsertInto(out, target.table, target.columnList);
    for (std::size_t i = 0; i < count; ++i) {
      if (i > 0) out = Put(out, u"), (");
      out = target.columnList.isEmpty() ? PutValues(out, rows[i])
                                        : PutValuesAt(out, rows[i], target.positions);
    }
    *out++ = u')';
    return out;
  });
}

QString InsertSelectStatement(const MSSQL::TableName& target, const QString& sourceDatabase,
                              const MSSQL::TableName& source) {
  return QStringLiteral("INSERT INTO ") + target.Bracketed() + QStringLiteral(" SELECT * FROM ") +
         InDatabase(sourceDatabase, source);
}

QString InsertSelectStatement(const InsertTarget& target, const QString& sourceDatabase,
                              const MSSQL::TableName& source, const QString& where) {
  return CopyStatement(target, target.table.Bracketed(), InDatabase(sourceDatabase, source), where);
}

QString InsertSelectFromHereStatement(const InsertTarget& target, const QString& targetDatabase,
                                      const MSSQL::TableName& source, const QString& where) {
  return CopyStatement(target, InDatabase(targetDatabase, target.table), source.Bracketed(), where);
}

QString KeysThereStatement(const MSSQL::TableName& source, const QString& targetDatabase,
                           const MSSQL::TableName& target, const QStringList& keyColumns,
                           const QString& where) {
  QStringList same;
  for (const QString& column : keyColumns) {
    same << QStringLiteral("t.%1 = s.%1").arg(MSSQL::Bracketed(column));
  }
  QString statement = QStringLiteral("SELECT COUNT_BIG(*) FROM ") + source.Bracketed() +
                      QStringLiteral(" AS s WHERE EXISTS (SELECT 1 FROM ") +
                      InDatabase(targetDatabase, target) + QStringLiteral(" AS t WHERE ") +
                      same.join(QStringLiteral(" AND ")) + u')';
  if (!where.isEmpty()) statement += QStringLiteral(" AND (") + where + QStringLiteral("\n)");
  return statement;
}

}  // namespace append
