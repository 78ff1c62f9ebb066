#include "copy/copy_plan.h"

#include <QStringList>

#include "append/resume/resume_key.h"
#include "catalogue/catalogue.h"
#include "copy/existing_targets.h"
#include "platform/odbc/adodb.h"

namespace copy {
namespace {

// Names looked up a statement: far inside what a server takes in one batch.
constexpr std::size_t kNamesAStatement = 200;

// The schema and name the server gives each wanted target, in order; none where it has no
// table of that name.
std::vector<std::optional<MSSQL::TableName>> ServersNames(adodb::Connection& connection,
                                                          const std::vector<TableToMake>& wanted,
                                                          std::size_t from, std::size_t to) {
  QStringList rows;
  for (std::size_t at = from; at < to; ++at) {
    rows << QStringLiteral("(%1, OBJECT_ID(%2, N'U'))")
                .arg(at - from)
                .arg(MSSQL::NationalLiteral(wanted.at(at).target.Bracketed()));
  }
  const std::unique_ptr<adodb::Recordset> found = connection.Execute(
      QStringLiteral("SELECT v.n, OBJECT_SCHEMA_NAME(v.id), OBJECT_NAME(v.id) FROM (VALUES %1) "
                     "AS v(n, id) ORDER BY v.n")
          .arg(rows.join(QStringLiteral(", "))));
  std::vector<std::optional<MSSQL::TableName>> names(to - from);
  for (; !found->Eof(); found->MoveNext()) {
    const qsizetype n = found->FieldValue(0).text.toLongLong();
    if (n < 0 || n >= static_cast<qsizetype>(names.size()) || found->FieldValue(2).IsNull()) {
      continue;
    }
    names.at(static_cast<std::size_t>(n)) =
        MSSQL::TableName(found->FieldValue(1).text, found->FieldValue(2).text);
  }
  return names;
}

}  // namespace

std::vector<PlannedTable> PairedWithTargets(adodb::Connection& target,
                                            const std::vector<TableToMake>& wanted) {
  std::vector<PlannedTable> tables;
  for (std::size_t from = 0; from < wanted.size(); from += kNamesAStatement) {
    const std::size_t to = std::min(wanted.size(), from + kNamesAStatement);
    const std::vector<std::optional<MSSQL::TableName>> names =
        ServersNames(target, wanted, from, to);
    for (std::size_t at = from; at < to; ++at) {
      const std::optional<MSSQL::TableName>& found = names.at(at - from);
      PlannedTable table;
      table.source = wanted.at(at).source;
      table.target = found.value_or(wanted.at(at).target);
      table.targetExists = found.has_value();
      tables.push_back(std::move(table));
    }
  }
  return tables;
}

std::optional<std::vector<PlannedTable>> InFillOrder(const std::vector<PlannedTable>& tables,
                                                     const std::vector<MSSQL::ForeignKey>& keys,
                                                     QStringList& cycle) {
  std::vector<MSSQL::TableName> sources;
  for (const PlannedTable& table : tables) sources.push_back(table.source);
  const std::optional<std::vector<MSSQL::TableName>> ordered =
      MSSQL::ReferencedFirst(sources, keys, cycle);
  if (!ordered) return std::nullopt;
  std::vector<PlannedTable> result;
  for (const MSSQL::TableName& source : *ordered) {
    for (const PlannedTable& table : tables) {
      if (table.source == source) result.push_back(table);
    }
  }
  return result;
}

void CountExistingTargets(adodb::Connection& target, std::vector<PlannedTable>& tables) {
  std::vector<PlannedTable*> existing;
  std::vector<MSSQL::TableName> names;
  for (PlannedTable& table : tables) {
    if (!table.notRun.isEmpty() || !table.targetExists) continue;
    existing.push_back(&table);
    names.push_back(table.target);
  }
  const std::vector<qint64> rows = RowsOfTables(target, names);
  for (std::size_t at = 0; at < existing.size(); ++at) existing.at(at)->targetRows = rows.at(at);
}

void ReadScripts(adodb::Connection& source, adodb::Connection& target,
                 std::vector<PlannedTable>& tables) {
  std::vector<TableToMake> made;
  std::vector<MSSQL::TableName> copied;
  for (const PlannedTable& table : tables) {
    if (!table.notRun.isEmpty()) continue;
    copied.push_back(table.source);
    if (table.Makes()) made.push_back({table.source, table.target});
  }
  std::vector<TableScript> scripts = ScriptsOf(source, target, made, copied);
  std::size_t next = 0;
  for (PlannedTable& table : tables) {
    table.script =
        table.Makes() ? std::optional<TableScript>(std::move(scripts.at(next++))) : std::nullopt;
  }
}

void ReadSourceKeys(adodb::Connection& source, std::vector<PlannedTable>& tables) {
  std::vector<PlannedTable*> copied;
  std::vector<MSSQL::TableName> names;
  for (PlannedTable& table : tables) {
    if (!table.notRun.isEmpty()) continue;
    copied.push_back(&table);
    names.push_back(table.source);
  }
  std::vector<append::ResumeKey> keys;
  try {
    keys = append::ReadResumeKeys(source, names);
  } catch (const adodb::Error& error) {
    // Each table's run then reads its own key, and says what its server answers.
    if (error.ConnectionLost()) throw;
    return;
  }
  for (std::size_t at = 0; at < copied.size(); ++at) copied.at(at)->sourceKey = keys.at(at);
}

}  // namespace copy
