#include "copy/whole_table.h"

#include <algorithm>
#include <map>
#include <memory>

#include "copy/catalogue_statements.h"
#include "platform/odbc/adodb.h"

namespace copy {
namespace {

// The tables read so far, found by their object ids as the server writes them.
using TablesById = std::map<QString, WholeTable*>;

QString Text(const adodb::Value& value) {
  return value.IsNull() ? QString() : value.text;
}

bool Flag(const adodb::Value& value) {
  return Text(value).trimmed() == QLatin1String("1");
}

template <class Number>
std::optional<Number> NumberOf(const adodb::Value& value) {
  if (value.IsNull() || value.text.trimmed().isEmpty()) return std::nullopt;
  return static_cast<Number>(value.text.trimmed().toLongLong());
}

// Runs `statement` and hands each row to `read` with the table it belongs to (its first field).
template <class Read>
void ForEachRow(adodb::Connection& source, const QString& statement, const TablesById& tables,
                Read read) {
  const std::unique_ptr<adodb::Recordset> rows = source.Execute(statement);
  for (; !rows->Eof(); rows->MoveNext()) {
    const auto table = tables.find(Text(rows->FieldValue(0)).trimmed());
    if (table != tables.end()) read(*table->second, *rows);
  }
}

// A system type with its size as sys.columns and sys.types keep it: lengths in bytes (two a
// character for nchar and nvarchar), -1 for max; the scale of a time type is its fractional
// seconds.
MSSQL::ColumnDefinition SizedType(const QString& type, const adodb::Value& maxLength,
                                  const adodb::Value& precision, const adodb::Value& scale) {
  MSSQL::ColumnDefinition sized;
  sized.type = type.trimmed().toLower();
  sized.maxLength = NumberOf<qint64>(maxLength);
  if (sized.maxLength && *sized.maxLength > 0 &&
      (sized.type == QLatin1String("nchar") || sized.type == QLatin1String("nvarchar"))) {
    *sized.maxLength /= 2;
  }
  if (sized.type == QLatin1String("decimal") || sized.type == QLatin1String("numeric")) {
    sized.precision = NumberOf<int>(precision);
    sized.scale = NumberOf<int>(scale);
  } else if (sized.type == QLatin1String("time") || sized.type == QLatin1String("datetime2") ||
             sized.type == QLatin1String("datetimeoffset")) {
    sized.fractionalSeconds = NumberOf<int>(scale);
  } else if (sized.type == QLatin1String("float")) {
    sized.precision = NumberOf<int>(precision);
  }
  return sized;
}

void AddAliasType(WholeTable& table, adodb::Recordset& row, const WholeColumn& column) {
  AliasType alias{column.aliasType, SizedType(column.column.type, row.FieldValue(16),
                                              row.FieldValue(17), row.FieldValue(18))};
  alias.base.nullable = Flag(row.FieldValue(19));
  const auto known = std::find_if(table.aliasTypes.begin(), table.aliasTypes.end(),
                                  [&](const AliasType& type) { return type.name == alias.name; });
  if (known == table.aliasTypes.end()) {
    table.aliasTypes.push_back(alias);
  }
}

void ReadColumn(WholeTable& table, adodb::Recordset& row) {
  WholeColumn column;
  column.column =
      SizedType(Text(row.FieldValue(2)), row.FieldValue(3), row.FieldValue(4), row.FieldValue(5));
  column.column.name = Text(row.FieldValue(1));
  column.column.collation = Text(row.FieldValue(6)).trimmed();
  column.column.nullable = Flag(row.FieldValue(7));
  column.column.identity = Flag(row.FieldValue(8));
  column.identitySeed = Text(row.FieldValue(9)).trimmed();
  column.identityIncrement = Text(row.FieldValue(10)).trimmed();
  column.computed = Text(row.FieldValue(11));
  column.persisted = Flag(row.FieldValue(12));
  if (Flag(row.FieldValue(13))) {
    column.aliasType = MSSQL::TableName(Text(row.FieldValue(14)), Text(row.FieldValue(15)));
    AddAliasType(table, row, column);
  }
  table.columns.push_back(column);
}

WholeIndex::Kind KindOf(adodb::Recordset& row) {
  if (Flag(row.FieldValue(6))) return WholeIndex::Kind::PrimaryKey;
  if (Flag(row.FieldValue(7))) return WholeIndex::Kind::UniqueConstraint;
  const QString type = Text(row.FieldValue(3)).trimmed();
  return type == QLatin1String("1") || type == QLatin1String("2") ? WholeIndex::Kind::Index
                                                                  : WholeIndex::Kind::Other;
}

// One row an index column: a row of an index not yet seen starts the index.
void ReadIndexColumn(WholeTable& table, adodb::Recordset& row, QString& lastIndex) {
  const QString index = Text(row.FieldValue(0)) + QLatin1Char('.') + Text(row.FieldValue(1));
  if (index != lastIndex) {
    WholeIndex read;
    read.kind = KindOf(row);
    read.name = Text(row.FieldValue(2));
    read.typeDescription = Text(row.FieldValue(4)).trimmed();
    read.clustered = Text(row.FieldValue(3)).trimmed() == QLatin1String("1");
    read.unique = Flag(row.FieldValue(5));
    read.filter = Text(row.FieldValue(8));
    table.indexes.push_back(read);
    lastIndex = index;
  }
  if (row.FieldValue(9).IsNull()) return;
  if (Flag(row.FieldValue(11))) {
    table.indexes.back().included << Text(row.FieldValue(9));
  } else {
    table.indexes.back().keys.push_back({Text(row.FieldValue(9)), Flag(row.FieldValue(10))});
  }
}

QString ReferentialAction(const adodb::Value& value) {
  switch (Text(value).trimmed().toInt()) {
    case 1:
      return QStringLiteral("CASCADE");
    case 2:
      return QStringLiteral("SET NULL");
    case 3:
      return QStringLiteral("SET DEFAULT");
    default:
      return QStringLiteral("NO ACTION");
  }
}

// One row a column pair: a row of a foreign key not yet seen starts the key.
void ReadForeignKeyColumn(WholeTable& table, adodb::Recordset& row, QString& lastKey) {
  const QString key = Text(row.FieldValue(1));
  if (key != lastKey) {
    WholeForeignKey read;
    read.name = Text(row.FieldValue(2));
    read.referenced = MSSQL::TableName(Text(row.FieldValue(3)), Text(row.FieldValue(4)));
    read.onDelete = ReferentialAction(row.FieldValue(5));
    read.onUpdate = ReferentialAction(row.FieldValue(6));
    table.foreignKeys.push_back(read);
    lastKey = key;
  }
  table.foreignKeys.back().columns << Text(row.FieldValue(7));
  table.foreignKeys.back().referencedColumns << Text(row.FieldValue(8));
}

std::vector<WholeTable> ReadTables(adodb::Connection& source,
                                   const std::vector<MSSQL::TableName>& names, QStringList& ids) {
  std::vector<WholeTable> tables;
  const std::unique_ptr<adodb::Recordset> rows = source.Execute(TablesStatement(names));
  for (; !rows->Eof(); rows->MoveNext()) {
    const std::size_t position = Text(rows->FieldValue(0)).trimmed().toULongLong();
    if (rows->FieldValue(1).IsNull() && position < names.size()) {
      throw platform::Error(QStringLiteral("The table %1 is not in the source database.")
                                .arg(names[position].Display()));
    }
    ids << Text(rows->FieldValue(1)).trimmed();
    WholeTable table;
    table.name = MSSQL::TableName(Text(rows->FieldValue(2)), Text(rows->FieldValue(3)));
    tables.push_back(table);
  }
  return tables;
}

void ReadParts(adodb::Connection& source, const QString& ids, const TablesById& byId) {
  ForEachRow(source, ColumnsStatement(ids), byId, ReadColumn);
  QString lastIndex;
  ForEachRow(source, IndexesStatement(ids), byId, [&](WholeTable& table, adodb::Recordset& row) {
    ReadIndexColumn(table, row, lastIndex);
  });
  ForEachRow(source, ChecksStatement(ids), byId, [](WholeTable& table, adodb::Recordset& row) {
    table.checks.push_back({Text(row.FieldValue(1)), Text(row.FieldValue(2))});
  });
  // A default the catalogue shows on a rowversion or computed column is the server's own: no
  // statement can make one, and the server makes it again with the column.
  ForEachRow(source, DefaultsStatement(ids), byId, [](WholeTable& table, adodb::Recordset& row) {
    if (Flag(row.FieldValue(4))) return;
    table.defaults.push_back(
        {Text(row.FieldValue(1)), Text(row.FieldValue(2)), Text(row.FieldValue(3))});
  });
  QString lastKey;
  ForEachRow(
      source, ForeignKeysStatement(ids), byId,
      [&](WholeTable& table, adodb::Recordset& row) { ReadForeignKeyColumn(table, row, lastKey); });
  ForEachRow(source, TriggersStatement(ids), byId, [](WholeTable& table, adodb::Recordset& row) {
    table.triggers.push_back(
        {Text(row.FieldValue(1)), Text(row.FieldValue(2)), Flag(row.FieldValue(3))});
  });
}

}  // namespace

std::vector<WholeTable> ReadWholeTables(adodb::Connection& source,
                                        const std::vector<MSSQL::TableName>& tables) {
  if (tables.empty()) return {};
  QStringList ids;
  std::vector<WholeTable> read = ReadTables(source, tables, ids);
  TablesById byId;
  for (std::size_t i = 0; i < read.size(); ++i) byId[ids[static_cast<qsizetype>(i)]] = &read[i];
  ReadParts(source, ids.join(QStringLiteral(", ")), byId);
  return read;
}

}  // namespace copy
