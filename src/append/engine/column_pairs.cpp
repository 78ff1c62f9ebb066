#include "append/engine/column_pairs.h"

#include <QSet>
#include <algorithm>

namespace append {
namespace {

constexpr int kPairsListed = 10;

bool OneOf(const QString& type, std::initializer_list<const char*> types) {
  return std::any_of(types.begin(), types.end(),
                     [&](const char* candidate) { return type == QLatin1String(candidate); });
}

QString Described(const MSSQL::ColumnFacts& column) {
  return column.name + QStringLiteral(" (") + column.type + QLatin1Char(')');
}

// The first ten lines, and how many more there are.
QString Listed(const QStringList& lines) {
  QString listed = lines.mid(0, kPairsListed).join(QStringLiteral("\r\n"));
  if (lines.size() > kPairsListed) {
    listed += QStringLiteral("\r\n... and %1 more").arg(lines.size() - kPairsListed);
  }
  return listed;
}

std::optional<std::size_t> OnlyColumnNamed(const MSSQL::TableFacts& table, const QString& name) {
  std::optional<std::size_t> found;
  for (std::size_t i = 0; i < table.columns.size(); ++i) {
    if (table.columns[i].name.compare(name, Qt::CaseInsensitive) != 0) continue;
    if (found) return std::nullopt;
    found = i;
  }
  return found;
}

// The positions of the columns an INSERT writes.
std::vector<std::size_t> WrittenColumns(const MSSQL::TableFacts& table) {
  std::vector<std::size_t> written;
  for (std::size_t i = 0; i < table.columns.size(); ++i) {
    if (table.columns[i].Writable()) written.push_back(i);
  }
  return written;
}

}  // namespace

QString KindOf(const QString& type) {
  const QString t = type.toLower();
  if (OneOf(t, {"char", "varchar", "nchar", "nvarchar", "text", "ntext", "sysname"})) {
    return QStringLiteral("text");
  }
  if (OneOf(t, {"bit", "tinyint", "smallint", "int", "bigint", "decimal", "numeric", "money",
                "smallmoney", "float", "real"})) {
    return QStringLiteral("number");
  }
  if (OneOf(t, {"date", "time", "datetime", "datetime2", "smalldatetime", "datetimeoffset"})) {
    return QStringLiteral("date and time");
  }
  if (OneOf(t, {"binary", "varbinary", "image", "timestamp", "rowversion"})) {
    return QStringLiteral("binary");
  }
  return QStringLiteral("other");
}

QStringList DifferingPairs(const MSSQL::TableFacts& source, const MSSQL::TableFacts& target) {
  QStringList pairs;
  const std::size_t facing = std::min(source.columns.size(), target.columns.size());
  for (std::size_t i = 0; i < facing; ++i) {
    const MSSQL::ColumnFacts& from = source.columns[i];
    const MSSQL::ColumnFacts& to = target.columns[i];
    if (!to.Writable()) continue;
    if (from.name.compare(to.name, Qt::CaseInsensitive) == 0 &&
        KindOf(from.type) == KindOf(to.type)) {
      continue;
    }
    pairs << QStringLiteral("%1: %2 -> %3").arg(i + 1).arg(Described(from), Described(to));
  }
  return pairs;
}

QString PositionalAppendQuestion(const QStringList& pairs) {
  return QStringLiteral(
             "The rows are appended by column position, and these columns facing each other "
             "differ in name or kind:\r\n\r\n") +
         Listed(pairs) + QStringLiteral("\r\n\r\nAppend by position anyway?");
}

std::optional<std::vector<std::size_t>> SourceColumnsByName(const MSSQL::TableFacts& source,
                                                            const MSSQL::TableFacts& target) {
  if (source.columns.empty() || target.columns.empty()) return std::nullopt;
  std::vector<std::size_t> positions;
  for (const MSSQL::ColumnFacts& to : target.columns) {
    if (!to.Writable()) continue;
    const std::optional<std::size_t> from = OnlyColumnNamed(source, to.name);
    if (!from) return std::nullopt;
    positions.push_back(*from);
  }
  // One to one both ways: on a case-sensitive collation `a` and `A` of the target would both
  // take the source's `a`.
  std::vector<std::size_t> sorted = positions;
  std::sort(sorted.begin(), sorted.end());
  if (std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end()) return std::nullopt;
  return positions;
}

bool SameColumnsInAnotherOrder(const MSSQL::TableFacts& source, const MSSQL::TableFacts& target) {
  const std::optional<std::vector<std::size_t>> positions = SourceColumnsByName(source, target);
  if (!positions) return false;
  const std::vector<std::size_t> written = WrittenColumns(target);
  return *positions != written;
}

QString ByNameAppendQuestion(const MSSQL::TableFacts& source, const MSSQL::TableFacts& target) {
  const std::vector<std::size_t> from =
      SourceColumnsByName(source, target).value_or(std::vector<std::size_t>{});
  const std::vector<std::size_t> to = WrittenColumns(target);
  QStringList moves;
  for (std::size_t i = 0; i < from.size() && i < to.size(); ++i) {
    if (from[i] == to[i]) continue;
    moves << QStringLiteral("%1: column %2 -> column %3")
                 .arg(target.columns[to[i]].name)
                 .arg(from[i] + 1)
                 .arg(to[i] + 1);
  }
  return QStringLiteral(
             "Both tables have the same columns in another order. Appended by name, the values "
             "of these columns of the source go into the target's column of the same name:"
             "\r\n\r\n") +
         Listed(moves) +
         QStringLiteral(
             "\r\n\r\nAppend by name? Yes appends by name, No by position, Cancel appends "
             "nothing.");
}

}  // namespace append
