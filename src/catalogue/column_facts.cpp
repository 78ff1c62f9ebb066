#include "catalogue/column_facts.h"

#include <QStringList>
#include <algorithm>

#include "platform/adodb.h"

namespace MSSQL {
namespace {

// Text as an N'...' literal.
QString NationalLiteral(const QString& text) {
  QString quoted = text;
  quoted.replace(QLatin1Char('\''), QLatin1String("''"));
  return QStringLiteral("N'") + quoted + QLatin1Char('\'');
}

bool IsOne(const adodb::Value& value) {
  return !value.IsNull() && value.text.trimmed() == QLatin1String("1");
}

bool IsRowversion(const QString& type) {
  return type == QLatin1String("timestamp") || type == QLatin1String("rowversion");
}

// Some drivers describe a rowversion column as binary: only the catalogue tells them apart.
bool MayBeRowversion(const ColumnFacts& column) {
  return column.type == QLatin1String("binary") || IsRowversion(column.type);
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

std::vector<ColumnFacts> DescribedColumns(adodb::Recordset& described) {
  std::vector<ColumnFacts> columns(static_cast<std::size_t>(described.FieldCount()));
  for (std::size_t i = 0; i < columns.size(); ++i) {
    columns[i].name = described.FieldName(static_cast<int>(i));
    columns[i].type = described.FieldTypeName(static_cast<int>(i));
    columns[i].rowversion = IsRowversion(columns[i].type);
  }
  return columns;
}

void TakeServerRow(adodb::Recordset& row, TableFacts& facts) {
  facts.server = row.FieldValue(0).text;
  facts.database = row.FieldValue(1).text;
  facts.objectId = row.FieldValue(2).text;
  for (std::size_t i = 0; i < facts.columns.size(); ++i) {
    const int field = 3 + 2 * static_cast<int>(i);
    facts.columns[i].identity = IsOne(row.FieldValue(field));
    facts.columns[i].computed = IsOne(row.FieldValue(field + 1));
  }
}

}  // namespace

bool TableFacts::HasIdentity() const {
  return std::any_of(columns.begin(), columns.end(), [](const auto& c) { return c.identity; });
}

bool TableFacts::SameTableAs(const TableFacts& other) const {
  return !objectId.isEmpty() && !server.isEmpty() && server == other.server &&
         database.compare(other.database, Qt::CaseInsensitive) == 0 && objectId == other.objectId;
}

// Server functions only: the catalogue views are slow to open on some servers, and these answer
// from the table's own object.
QString ColumnFactsStatement(const TableName& table, const std::vector<QString>& columns) {
  const QString object = QStringLiteral("OBJECT_ID(%1)").arg(NationalLiteral(table.Bracketed()));
  QStringList fields{QStringLiteral("@@SERVERNAME"), QStringLiteral("DB_NAME()"), object};
  for (const QString& column : columns) {
    const QString name = NationalLiteral(column);
    fields << QStringLiteral("COLUMNPROPERTY(%1, %2, 'IsIdentity')").arg(object, name)
           << QStringLiteral("COLUMNPROPERTY(%1, %2, 'IsComputed')").arg(object, name);
  }
  return QStringLiteral("SELECT ") + fields.join(QStringLiteral(", "));
}

TableFacts ReadColumnFacts(adodb::Connection& connection, const TableName& table) {
  TableFacts facts;
  std::vector<ColumnFacts> columns;
  {
    const std::unique_ptr<adodb::Recordset> described =
        connection.Describe(QStringLiteral("SELECT * FROM ") + table.Bracketed());
    facts.fieldCount = described->FieldCount();
    columns = DescribedColumns(*described);
  }
  std::vector<QString> names;
  for (const ColumnFacts& column : columns) names.push_back(column.name);
  try {
    const std::unique_ptr<adodb::Recordset> row =
        connection.Execute(ColumnFactsStatement(table, names));
    if (row->Eof() || row->FieldCount() != 3 + 2 * facts.fieldCount) return facts;
    facts.columns = std::move(columns);
    TakeServerRow(*row, facts);
    if (facts.objectId.isEmpty()) {
      facts.columns.clear();
      return facts;
    }
    MarkRowversions(connection, table, facts.columns);
  } catch (const adodb::Error&) {
    // Not SQL Server: its columns stay unknown, and the rows go by position.
  }
  return facts;
}

}  // namespace MSSQL
