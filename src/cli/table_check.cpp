#include "cli/table_check.h"

#include "cli/closest_names.h"
#include "cli/database_command.h"
#include "cli/table_argument.h"

namespace cli {
namespace {

QString DatabaseName(const CheckedDatabase& database) {
  return database.login.Database.isEmpty() ? QStringLiteral("Database #%1").arg(database.number)
                                           : database.login.Database;
}

bool SameName(const MSSQL::TableName& a, const MSSQL::TableName& b, Qt::CaseSensitivity cs) {
  return a.schema.compare(b.schema, cs) == 0 && a.name.compare(b.name, cs) == 0;
}

// The listed table the text names: as the list shows it, or as schema and name, the default
// schema left out as the list leaves it out; the same letter case first.
std::optional<MSSQL::TableName> Listed(const CheckedDatabase& database, const QString& typed) {
  const MSSQL::TableListing& listing = database.listing;
  MSSQL::TableName wanted = ParseTableArgument(typed).value_or(MSSQL::TableName(typed));
  if (wanted.schema.compare(database.defaultSchema, Qt::CaseInsensitive) == 0) {
    wanted.schema.clear();
  }
  for (Qt::CaseSensitivity cs : {Qt::CaseSensitive, Qt::CaseInsensitive}) {
    for (std::size_t i = 0; i < listing.tables.size(); ++i) {
      if (listing.names.at(static_cast<qsizetype>(i)).compare(typed, cs) == 0 ||
          SameName(listing.tables[i], wanted, cs)) {
        return listing.tables[i];
      }
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<CheckedDatabase> OpenForChecks(const ConnectionProfile& login, int number,
                                             Console& console) {
  CheckedDatabase database{
      number, login, Connect(login, number, console, adodb::adModeReadWrite), {}, {}};
  if (!database.connection) return std::nullopt;
  database.defaultSchema = MSSQL::DefaultSchema(*database.connection);
  try {
    MSSQL::ReadTableNames(login, database.listing, true);
  } catch (const platform::Error&) {
    // Without the list, each name is what the server reads under it.
  }
  return database;
}

std::optional<FoundTable> FindTable(const CheckedDatabase& database, const QString& typed,
                                    Console& console) {
  const std::optional<MSSQL::TableName> listed = Listed(database, typed);
  FoundTable found{listed.value_or(ParseTableArgument(typed).value_or(MSSQL::TableName(typed))),
                   {}};
  if (!listed && found.table.schema.compare(database.defaultSchema, Qt::CaseInsensitive) == 0) {
    found.table.schema.clear();
  }
  try {
    found.fields = MSSQL::FieldNames(*database.connection, found.table);
  } catch (const platform::Error& error) {
    const QString nearby = listed ? QString() : DidYouMean(typed, database.listing.names);
    console.Failure(
        QStringLiteral("cannot read table '%1' in %2").arg(typed, DatabaseName(database)),
        error.Description() + nearby);
    return std::nullopt;
  }
  return found;
}

std::optional<QString> FindField(const CheckedDatabase& database, const FoundTable& found,
                                 const QString& typed, Console& console) {
  for (Qt::CaseSensitivity cs : {Qt::CaseSensitive, Qt::CaseInsensitive}) {
    for (const QString& field : found.fields) {
      if (field.compare(typed, cs) == 0) return field;
    }
  }
  console.Message(QStringLiteral("ombrelia: no field '%1' in table '%2' of %3")
                      .arg(typed, found.table.Display(), DatabaseName(database)) +
                  DidYouMean(typed, found.fields));
  return std::nullopt;
}

QString QualifiedName(const CheckedDatabase& database, const MSSQL::TableName& table) {
  const QString schema = table.schema.isEmpty() ? database.defaultSchema : table.schema;
  QString name = DatabaseName(database) + QLatin1Char('.');
  if (!schema.isEmpty()) name += schema + QLatin1Char('.');
  return name + table.name;
}

}  // namespace cli
