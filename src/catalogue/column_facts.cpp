#include "catalogue/column_facts.h"

#include <QStringList>
#include <algorithm>

#include "catalogue/catalogue.h"
#include "platform/odbc/adodb.h"

namespace MSSQL {
namespace {

bool IsOne(const adodb::Value& value) {
  return !value.IsNull() && value.text.trimmed() == QLatin1String("1");
}

bool IsRowversion(const QString& type) {
  return type == QLatin1String("timestamp") || type == QLatin1String("rowversion");
}

// Some drivers describe a rowversion column as binary: only the catalogue tells them apart.
bool MayBeRowversion(const ColumnFacts& column) {
  return column.type == QLatin1String("binary");
}

QString RowversionColumnsStatement(const TableName& table) {
  const QString schema =
      table.schema.isEmpty() ? QStringLiteral("SCHEMA_NAME()") : NationalLiteral(table.schema);
  return QStringLiteral(
             "SELECT COLUMN_NAME FROM INFORMATION_SCHEMA.COLUMNS WHERE TABLE_NAME = %1 AND "
             "TABLE_SCHEMA = %2 AND DATA_TYPE IN ('timestamp', 'rowversion')")
      .arg(NationalLiteral(table.name), schema);
}

void MarkRowversions(adodb::Connection& connection, const TableName& table,
                     std::vector<ColumnFacts>& columns) {
  if (std::none_of(columns.begin(), columns.end(), MayBeRowversion)) return;
  const std::unique_ptr<adodb::Recordset> rows =
      connection.Execute(RowversionColumnsStatement(table));
  for (; !rows->Eof(); rows->MoveNext()) {
    const QString name = rows->FieldValue(0).text;
    for (ColumnFacts& column : columns) {
      if (column.name.compare(name, Qt::CaseInsensitive) == 0) column.rowversion = true;
    }
  }
}

QString ColumnsOf(const QString& from) {
  return QStringLiteral("SELECT TOP 0 * FROM ") + from;
}

// The columns of a result, by name and type.
std::vector<ColumnFacts> DescribedColumns(adodb::Recordset& described) {
  std::vector<ColumnFacts> columns(static_cast<std::size_t>(described.FieldCount()));
  for (std::size_t i = 0; i < columns.size(); ++i) {
    const int field = static_cast<int>(i);
    columns[i].name = described.FieldName(field);
    columns[i].type = described.FieldTypeName(field);
    columns[i].rowversion = IsRowversion(columns[i].type);
  }
  return columns;
}

// What the server tells, with the flags of the columns when `fills`; the columns are known only
// when the server answers.
void ReadServerRow(adodb::Connection& connection, const TableName& table, bool fills, bool count,
                   bool schema, std::vector<ColumnFacts>& columns, TableFacts& facts) {
  std::vector<QString> names;
  if (fills) {
    for (const ColumnFacts& column : columns) names.push_back(column.name);
  }
  const std::unique_ptr<adodb::Recordset> row =
      connection.Execute(ColumnFactsStatement(table, names, count, schema));
  const int counted = 2 + 2 * static_cast<int>(names.size());
  if (row->Eof() || row->FieldCount() != counted + (count ? 1 : 0)) return;
  if (count && !row->FieldValue(counted).IsNull()) {
    facts.rows = row->FieldValue(counted).text.toLongLong();
  }
  facts.server = row->FieldValue(0).text;
  facts.schema = row->FieldValue(1).IsNull() ? QString() : row->FieldValue(1).text;
  facts.database = connection.DefaultDatabase();
  for (std::size_t i = 0; i < names.size(); ++i) {
    columns[i].identity = IsOne(row->FieldValue(2 + 2 * static_cast<int>(i)));
    columns[i].computed = IsOne(row->FieldValue(3 + 2 * static_cast<int>(i)));
  }
  if (fills) MarkRowversions(connection, table, columns);
  facts.fillsKnown = fills;
  facts.columns = std::move(columns);
}

// A server without the functions: the table's fields from the description of its SELECT.
TableFacts DescribedOnly(adodb::Connection& connection, const TableName& table) {
  const std::unique_ptr<adodb::Recordset> described =
      connection.Describe(QStringLiteral("SELECT * FROM ") + table.Bracketed());
  TableFacts facts;
  facts.fieldCount = described->FieldCount();
  return facts;
}

}  // namespace

bool TableFacts::HasIdentity() const {
  return std::any_of(columns.begin(), columns.end(), [](const auto& c) { return c.identity; });
}

bool TableFacts::SameTableAs(const TableFacts& other) const {
  return !objectId.isEmpty() && !server.isEmpty() && server == other.server &&
         database.compare(other.database, Qt::CaseInsensitive) == 0 && objectId == other.objectId;
}

// The table's columns without a row of it; "TOP 0" reads nothing.
QString TableColumnsStatement(const TableName& table) {
  return ColumnsOf(table.Bracketed());
}

// Server functions only: the catalogue views are slow to open on some servers, and these answer
// from the table's own object. The session's database comes from the driver.
QString ColumnFactsStatement(const TableName& table, const std::vector<QString>& columns,
                             bool count, bool schema) {
  const QString object = QStringLiteral("OBJECT_ID(%1)").arg(NationalLiteral(table.Bracketed()));
  QStringList fields{
      QStringLiteral("@@SERVERNAME"),
      schema ? QStringLiteral("OBJECT_SCHEMA_NAME(%1)").arg(object) : QStringLiteral("NULL")};
  for (const QString& column : columns) {
    const QString name = NationalLiteral(column);
    fields << QStringLiteral("COLUMNPROPERTY(%1, %2, 'IsIdentity')").arg(object, name)
           << QStringLiteral("COLUMNPROPERTY(%1, %2, 'IsComputed')").arg(object, name);
  }
  if (count) fields << QStringLiteral("(SELECT COUNT_BIG(*) FROM %1)").arg(table.Bracketed());
  return QStringLiteral("SELECT ") + fields.join(QStringLiteral(", "));
}

QString ObjectIdStatement(const TableName& table) {
  return QStringLiteral("SELECT OBJECT_ID(%1)").arg(NationalLiteral(table.Bracketed()));
}

void ReadFills(adodb::Connection& connection, const TableName& table, TableFacts& facts) {
  if (facts.fillsKnown || facts.columns.empty()) return;
  std::vector<ColumnFacts> columns = facts.columns;
  ReadServerRow(connection, table, true, false, true, columns, facts);
}

void ReadObjectId(adodb::Connection& connection, const TableName& table, TableFacts& facts) {
  if (!facts.objectId.isEmpty()) return;
  const std::unique_ptr<adodb::Recordset> row = connection.Execute(ObjectIdStatement(table));
  if (!row->Eof()) facts.objectId = row->FieldValue(0).text;
}

TableFacts ReadColumnsOnly(adodb::Connection& connection, const QString& from) {
  const std::unique_ptr<adodb::Recordset> described = connection.Execute(ColumnsOf(from));
  TableFacts facts;
  facts.fieldCount = described->FieldCount();
  facts.columns = DescribedColumns(*described);
  return facts;
}

TableFacts ReadColumnFacts(adodb::Connection& connection, const TableName& table, bool fills,
                           bool count, bool schema) {
  TableFacts facts;
  std::vector<ColumnFacts> columns;
  try {
    const std::unique_ptr<adodb::Recordset> described =
        connection.Execute(TableColumnsStatement(table));
    facts.fieldCount = described->FieldCount();
    columns = DescribedColumns(*described);
  } catch (const adodb::Error&) {
    // Not SQL Server, or a table it cannot read: the SELECT tells which, with its own text.
    return DescribedOnly(connection, table);
  }
  for (const bool counting : {count, false}) {
    try {
      ReadServerRow(connection, table, fills, counting, schema, columns, facts);
      break;
    } catch (const adodb::Error&) {
      // A count the server refuses is asked again without it; without the functions (not SQL
      // Server) the columns stay unknown, and the rows go by position.
      if (!counting) break;
    }
  }
  return facts;
}

}  // namespace MSSQL
