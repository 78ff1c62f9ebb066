// The join statement: a full outer join of two tables written as a LEFT JOIN, UNION ALL, and a
// RIGHT JOIN restricted to the right rows that found no partner.

#include <algorithm>

#include "support/fake_errors.h"
#include "support/fake_statements.h"

namespace fake {
namespace {

struct JoinSide {
  QString table;
  QString column;
};

struct JoinStatement {
  QString target;
  JoinSide left;
  JoinSide right;
};

// "table.column" where the table must be the one named in the FROM clause.
QString TakeColumnOf(SqlReader& sql, const QString& table) {
  const QString qualifier = sql.TakeName();
  sql.Expect(QStringLiteral("."));
  const QString column = sql.TakeName();
  if (!SameName(qualifier, table)) throw UnboundIdentifier(qualifier + u'.' + column);
  return column;
}

void ExpectName(SqlReader& sql, const QString& name) {
  const QString found = sql.TakeName();
  if (!SameName(found, name)) throw SyntaxErrorNear(found);
}

void ExpectColumn(SqlReader& sql, const JoinSide& side) {
  const QString column = TakeColumnOf(sql, side.table);
  if (!SameName(column, side.column)) throw SyntaxErrorNear(column);
}

JoinStatement ParseJoin(SqlReader& sql) {
  JoinStatement join;
  sql.Expect(QStringLiteral("SELECT * INTO"));
  join.target = sql.TakeName();
  sql.Expect(QStringLiteral("FROM"));
  join.left.table = sql.TakeName();
  sql.Expect(QStringLiteral("LEFT JOIN"));
  join.right.table = sql.TakeName();
  sql.Expect(QStringLiteral("ON"));
  join.left.column = TakeColumnOf(sql, join.left.table);
  sql.Expect(QStringLiteral("="));
  join.right.column = TakeColumnOf(sql, join.right.table);
  sql.Expect(QStringLiteral("UNION ALL SELECT * FROM"));
  ExpectName(sql, join.left.table);
  sql.Expect(QStringLiteral("RIGHT JOIN"));
  ExpectName(sql, join.right.table);
  sql.Expect(QStringLiteral("ON"));
  ExpectColumn(sql, join.left);
  sql.Expect(QStringLiteral("="));
  ExpectColumn(sql, join.right);
  sql.Expect(QStringLiteral("WHERE"));
  ExpectColumn(sql, join.left);
  sql.Expect(QStringLiteral("Is Null"));
  sql.ExpectEnd();
  return join;
}

int ExistingColumn(const Table& table, const QString& column) {
  const int index = ColumnIndex(table.columns, column);
  if (index < 0) throw InvalidColumnName(column);
  return index;
}

// NULL keys never match, as in SQL.
bool KeysMatch(const adodb::Value& a, const adodb::Value& b) {
  return !a.IsNull() && !b.IsNull() && a == b;
}

Row Joined(Row left, const Row& right) {
  left.insert(left.end(), right.begin(), right.end());
  return left;
}

Row NullRow(qsizetype width) {
  return Row(static_cast<size_t>(width));
}

std::vector<Row> FullOuterJoinRows(const Table& left, int leftKey, const Table& right,
                                   int rightKey) {
  std::vector<Row> rows;
  std::vector<bool> rightMatched(right.rows.size());
  for (const Row& leftRow : left.rows) {
    bool matched = false;
    for (size_t r = 0; r < right.rows.size(); ++r) {
      if (!KeysMatch(leftRow[leftKey], right.rows[r][rightKey])) continue;
      rows.push_back(Joined(leftRow, right.rows[r]));
      rightMatched[r] = matched = true;
    }
    if (!matched) rows.push_back(Joined(leftRow, NullRow(right.columns.size())));
  }
  for (size_t r = 0; r < right.rows.size(); ++r) {
    if (!rightMatched[r]) rows.push_back(Joined(NullRow(left.columns.size()), right.rows[r]));
  }
  return rows;
}

}  // namespace

Result RunFullOuterJoin(Database& database, SqlReader& sql) {
  const JoinStatement join = ParseJoin(sql);
  const Table& left = ExistingObject(database, join.left.table);
  const Table& right = ExistingObject(database, join.right.table);
  const int leftKey = ExistingColumn(left, join.left.column);
  const int rightKey = ExistingColumn(right, join.right.column);
  RequireFreeName(database, join.target);
  const QStringList columns = left.columns + right.columns;
  RequireUniqueColumns(columns, join.target);
  std::vector<Row> rows = FullOuterJoinRows(left, leftKey, right, rightKey);
  database.Create({join.target, columns, std::move(rows), QStringLiteral("TABLE"), {}, {}});
  return {};
}

}  // namespace fake
