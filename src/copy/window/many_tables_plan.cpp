// Before the first of several tables: the tables put in the order of their foreign keys and,
// for new tables, the scripts that make them whole, read for all of them on sessions of the
// run's own. After the last: the foreign keys and triggers of the tables made and filled, once
// every table holds its rows.

#include "append/engine/engine_steps.h"
#include "connections/encryption.h"
#include "copy/copy_scripts.h"
#include "copy/existing_targets.h"
#include "copy/script_sending.h"
#include "copy/table_order.h"
#include "copy/window/many_tables.h"
#include "jobs/worker.h"

namespace copy {
namespace {

constexpr int kPlanLine = 90;
constexpr int kLinksLine = 92;

std::unique_ptr<adodb::Connection> Opened(const ConnectionProfile& profile) {
  std::unique_ptr<adodb::Connection> connection = adodb::CreateConnection();
  connection->SetMode(adodb::adModeReadWrite);
  OpenLogin(*connection, profile);
  return connection;
}

}  // namespace

bool ManyTables::Planned() {
  const ConnectionProfile& sourceLogin =
      request_.appendToDatabase1 ? request_.profile2 : request_.profile1;
  const ConnectionProfile& targetLogin =
      request_.appendToDatabase1 ? request_.profile1 : request_.profile2;
  return append::Completed(on_, kPlanLine, [&] {
    jobs::Wait([&] {
      std::unique_ptr<adodb::Connection> source = Opened(sourceLogin);
      sources_ = copy::ReferencedFirstOnSession(*source, sources_);
      if (!request_.createTarget) return;
      target_ = Opened(targetLogin);
      const QString schema = copy::DefaultSchema(*source);
      // The new tables go into the target login's default schema, named so in their scripts.
      const QString targetSchema = copy::DefaultSchema(*target_);
      std::vector<copy::TableToMake> made;
      std::vector<MSSQL::TableName> copied;
      for (const MSSQL::TableName& table : sources_) {
        copied.push_back(copy::WithSchema(table, schema));
        made.push_back({copied.back(), copy::WithSchema(*TargetOf(table), targetSchema)});
      }
      scripts_ = copy::ScriptsOf(*source, *target_, made, copied);
      // New tables whose names are taken: counted, for the question before the first.
      std::vector<MSSQL::TableName> targets;
      for (const copy::TableToMake& table : made) targets.push_back(table.target);
      const std::vector<bool> there = copy::TablesThere(*target_, targets);
      std::vector<MSSQL::TableName> existing;
      for (std::size_t at = 0; at < there.size(); ++at) {
        if (there[at]) existing.push_back(targets[at]);
      }
      const std::vector<qint64> rows = copy::RowsOfTables(*target_, existing);
      existingRows_.assign(targets.size(), std::nullopt);
      for (std::size_t at = 0, next = 0; at < there.size(); ++at) {
        if (there[at]) existingRows_[at] = rows.at(next++);
      }
    });
  });
}

// The foreign keys of every table made and filled, then their triggers, so that none fires
// during the copy. What the target refuses is named under its table.
void ManyTables::MakeLinks() {
  if (!target_) return;
  for (const bool triggers : {false, true}) {
    for (Table& table : tables_) {
      if (!table.madeAndFilled) continue;
      const copy::TableScript& script = scripts_.at(table.at);
      const QStringList& statements = triggers ? script.triggers : script.foreignKeys;
      std::vector<copy::Refusal> refused;
      const bool sent = append::Completed(on_, kLinksLine, [&] {
        refused = jobs::Wait([&] { return copy::SendEach(*target_, statements); });
      });
      if (!sent) return;
      for (const copy::Refusal& refusal : refused) {
        lines_[table.line] += QStringLiteral("\r\nNot made: %1 (%2)")
                                  .arg(refusal.statement.simplified().left(90), refusal.reason);
      }
    }
  }
}

}  // namespace copy
