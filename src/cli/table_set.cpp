#include "cli/table_set.h"

#include "catalogue/catalogue.h"
#include "cli/closest_names.h"
#include "cli/table_argument.h"

namespace cli {
namespace {

// The text of a table's name inside N'...': bracketed, as OBJECT_ID reads it.
QString ObjectLiteral(const MSSQL::TableName& table) {
  return MSSQL::NationalLiteral(table.Bracketed());
}

// The schema and name the server gives a typed table, or nothing when it has no such table.
std::optional<MSSQL::TableName> ServersName(adodb::Connection& connection,
                                            const MSSQL::TableName& typed) {
  const QString object = QStringLiteral("OBJECT_ID(%1, N'U')").arg(ObjectLiteral(typed));
  const std::unique_ptr<adodb::Recordset> row = adodb::ExecuteForOneRow(
      connection, QStringLiteral("SELECT OBJECT_SCHEMA_NAME(%1), OBJECT_NAME(%1)").arg(object));
  if (row->Eof() || row->FieldValue(1).IsNull()) return std::nullopt;
  return MSSQL::TableName(row->FieldValue(0).text, row->FieldValue(1).text);
}

std::optional<std::vector<MSSQL::TableName>> ListedTables(CheckedDatabase& source,
                                                          const QStringList& listed,
                                                          Console& console) {
  std::vector<MSSQL::TableName> tables;
  for (const QString& typed : listed) {
    const std::optional<MSSQL::TableName> name = ParseTableArgument(typed);
    const std::optional<MSSQL::TableName> found =
        name ? ServersName(*source.connection, *name) : std::nullopt;
    if (!found) {
      ListTables(source);
      console.Message(
          QStringLiteral("ombrelia: no table '%1' in %2").arg(typed, DatabaseName(source)) +
          DidYouMean(typed, source.listing.names));
      return std::nullopt;
    }
    if (!tables.empty() && std::find(tables.begin(), tables.end(), *found) != tables.end()) {
      continue;  // named twice, appended once
    }
    tables.push_back(*found);
  }
  return tables;
}

// The user tables of the database whose names match the pattern (every one without it), by
// the server's own LIKE.
std::vector<MSSQL::TableName> MatchingTables(adodb::Connection& connection, const QString& like) {
  QString statement =
      QStringLiteral("SELECT SCHEMA_NAME(schema_id), name FROM sys.tables WHERE is_ms_shipped = 0");
  if (!like.isEmpty())
    statement += QStringLiteral(" AND name LIKE ") + MSSQL::NationalLiteral(like);
  statement += QStringLiteral(" ORDER BY 1, 2");
  const std::unique_ptr<adodb::Recordset> rows = connection.Execute(statement);
  std::vector<MSSQL::TableName> tables;
  for (; !rows->Eof(); rows->MoveNext()) {
    tables.emplace_back(rows->FieldValue(0).text, rows->FieldValue(1).text);
  }
  return tables;
}

}  // namespace

std::optional<std::vector<MSSQL::TableName>> ChosenTables(CheckedDatabase& source,
                                                          const TableChoice& choice,
                                                          Console& console) {
  try {
    if (!choice.listed.isEmpty()) return ListedTables(source, choice.listed, console);
    std::vector<MSSQL::TableName> tables = MatchingTables(*source.connection, choice.like);
    if (tables.empty()) {
      console.Message(
          choice.all ? QStringLiteral("ombrelia: %1 has no user tables.").arg(DatabaseName(source))
                     : QStringLiteral("ombrelia: no table of %1 matches '%2'.")
                           .arg(DatabaseName(source), choice.like));
      return std::nullopt;
    }
    return tables;
  } catch (const platform::Error& error) {
    console.Failure(QStringLiteral("cannot list the tables of %1").arg(DatabaseName(source)),
                    error.Description());
    return std::nullopt;
  }
}

std::optional<std::vector<copy::PlannedTable>> PairWithTargets(
    CheckedDatabase& target, const std::vector<MSSQL::TableName>& tables, bool create,
    Console& console) {
  std::vector<copy::TableToMake> wanted;
  for (const MSSQL::TableName& source : tables) wanted.push_back({source, source});
  std::vector<copy::PlannedTable> pairs;
  try {
    pairs = copy::PairedWithTargets(*target.connection, wanted);
  } catch (const platform::Error& error) {
    console.Failure(QStringLiteral("cannot look for the tables in %1").arg(DatabaseName(target)),
                    error.Description());
    return std::nullopt;
  }
  for (copy::PlannedTable& pair : pairs) {
    if (pair.targetExists || create) continue;
    pair.notRun = QStringLiteral("no table %1 in %2 (--create makes it)")
                      .arg(pair.source.Display(), DatabaseName(target));
  }
  return pairs;
}

std::optional<std::vector<copy::PlannedTable>> InForeignKeyOrder(
    const std::vector<copy::PlannedTable>& pairs, const std::vector<MSSQL::ForeignKey>& keys,
    Console& console) {
  QStringList cycle;
  std::optional<std::vector<copy::PlannedTable>> ordered = copy::InFillOrder(pairs, keys, cycle);
  if (!ordered) {
    console.Message(QStringLiteral("ombrelia: the tables %1 reference one another by foreign "
                                   "keys in a cycle: no order appends each after the tables it "
                                   "references. Append them one at a time, in the order their "
                                   "rows allow.")
                        .arg(cycle.join(QStringLiteral(", "))));
  }
  return ordered;
}

std::optional<std::vector<MSSQL::ForeignKey>> ForeignKeysOf(CheckedDatabase& database,
                                                            Console& console) {
  try {
    return MSSQL::ReadForeignKeys(*database.connection);
  } catch (const platform::Error& error) {
    console.Failure(
        QStringLiteral("cannot read the foreign keys of %1").arg(DatabaseName(database)),
        error.Description());
    return std::nullopt;
  }
}

}  // namespace cli
