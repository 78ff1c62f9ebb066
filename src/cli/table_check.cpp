#include "cli/table_check.h"

#include "cli/closest_names.h"
#include "cli/database_command.h"
#include "cli/table_argument.h"

namespace cli {
namespace {

bool SameName(const MSSQL::TableName& a, const MSSQL::TableName& b, Qt::CaseSensitivity cs) {
  return a.schema.compare(b.schema, cs) == 0 && a.name.compare(b.name, cs) == 0;
}

// The table the text names when no listed table is taken for it: the default schema is left
// out as the lists leave it out.
MSSQL::TableName Unlisted(const CheckedDatabase& database, const QString& typed) {
  MSSQL::TableName table = ParseTableArgument(typed).value_or(MSSQL::TableName(typed));
  if (table.schema.compare(database.defaultSchema, Qt::CaseInsensitive) == 0) table.schema.clear();
  return table;
}

// The listed table the text names: as the list shows it, or as schema and name, the default
// schema left out as the list leaves it out; the same letter case first.
std::optional<MSSQL::TableName> Listed(const CheckedDatabase& database, const QString& typed) {
  const MSSQL::TableListing& listing = database.listing;
  const MSSQL::TableName wanted = Unlisted(database, typed);
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

// One line with the server's text and, unless the name was listed, the closest listed names.
std::nullopt_t CannotRead(const CheckedDatabase& database, const QString& typed,
                          const QString& text, Console& console, bool nearby = true) {
  console.Failure(QStringLiteral("cannot read table '%1' in %2").arg(typed, DatabaseName(database)),
                  nearby ? text + DidYouMean(typed, database.listing.names) : text);
  return std::nullopt;
}

}  // namespace

QString DatabaseName(const CheckedDatabase& database) {
  return database.login.Database.isEmpty() ? QStringLiteral("Database #%1").arg(database.number)
                                           : database.login.Database;
}

std::optional<CheckedDatabase> OpenForChecks(const ConnectionProfile& login, int number,
                                             Console& console) {
  CheckedDatabase database{
      number, login, Connect(login, number, console, adodb::adModeReadWrite), {}, {}};
  if (!database.connection) return std::nullopt;
  database.defaultSchema = MSSQL::DefaultSchema(*database.connection);
  return database;
}

void ListTables(CheckedDatabase& database) {
  if (database.listed) return;
  database.listed = true;
  try {
    MSSQL::ReadTableNames(*database.connection, database.defaultSchema, database.listing, true);
  } catch (const platform::Error&) {
    // Without the list, each name is what the server reads under it.
  }
}

std::optional<FoundTable> FindTable(CheckedDatabase& database, const QString& typed,
                                    Console& console) {
  // A name the server reads as typed needs no listing: the tables are listed only for what
  // else the name may denote, and for the closest names.
  std::optional<QString> unreadAsTyped;
  if (!database.listed) {
    FoundTable found{Unlisted(database, typed), {}};
    try {
      found.fields = MSSQL::FieldNames(*database.connection, found.table);
      return found;
    } catch (const platform::Error& error) {
      unreadAsTyped = error.Description();
    }
    ListTables(database);
  }
  const std::optional<MSSQL::TableName> listed = Listed(database, typed);
  if (!listed && unreadAsTyped) return CannotRead(database, typed, *unreadAsTyped, console);
  FoundTable found{listed.value_or(Unlisted(database, typed)), {}};
  try {
    found.fields = MSSQL::FieldNames(*database.connection, found.table);
  } catch (const platform::Error& error) {
    return CannotRead(database, typed, error.Description(), console, !listed);
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
