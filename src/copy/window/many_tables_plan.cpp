// Before the first of several tables: the copy plan, read on sessions of the run's own: the
// targets of the same names, the order of the foreign keys of both databases and, for new
// tables, what the tables of their names hold and the scripts that make them whole. After the last:
// the foreign keys and triggers of the tables made and filled, once every table holds its rows.

#include <algorithm>

#include "append/engine/engine_steps.h"
#include "catalogue/foreign_keys.h"
#include "connections/encryption.h"
#include "copy/default_schema.h"
#include "copy/script_sending.h"
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
      source_ = Opened(sourceLogin);
      target_ = Opened(targetLogin);
      ReadPlan();
    });
  });
}

void ManyTables::ReadPlan() {
  adodb::Connection& source = *source_;
  const QString schema = DefaultSchema(source);
  targetSchema_ = DefaultSchema(*target_);
  // A new table takes the source's name in the target login's default schema, as the name a
  // single new table is offered; otherwise the target is the table that reads as the source
  // does, a bare name in the target login's default schema.
  std::vector<TableToMake> wanted;
  for (const MSSQL::TableName& table : sources_) {
    wanted.push_back({WithSchema(table, schema), request_.createTarget
                                                     ? MSSQL::TableName(targetSchema_, table.name)
                                                     : WithSchema(table, targetSchema_)});
  }
  std::vector<PlannedTable> paired = PairedWithTargets(*target_, wanted);
  std::vector<MSSQL::ForeignKey> keys = MSSQL::ReadForeignKeys(source);
  const std::vector<MSSQL::ForeignKey> targetKeys = MSSQL::ReadForeignKeys(*target_);
  keys.insert(keys.end(), targetKeys.begin(), targetKeys.end());
  QStringList cycle;
  // Round a cycle the tables keep the list's order, and the server judges their rows one by one.
  plan_ = InFillOrder(paired, keys, cycle).value_or(paired);
  std::vector<MSSQL::TableName> given;
  for (const PlannedTable& table : plan_) {
    for (std::size_t at = 0; at < wanted.size(); ++at) {
      if (wanted[at].source == table.source) given.push_back(sources_[at]);
    }
  }
  sources_ = std::move(given);
  for (PlannedTable& table : plan_) {
    if (!table.targetExists && !request_.createTarget) table.notRun = QStringLiteral("no target");
  }
  ReadSourceKeys(source, plan_);
  if (!request_.createTarget) return;
  // New tables whose names are taken: counted, for the question before the first.
  CountExistingTargets(*target_, plan_);
  ReadScripts(source, *target_, plan_);
}

void ManyTables::LendSessions(append::AppendEngine& engine) {
  const bool into1 = request_.appendToDatabase1;
  engine.UseOpenConnections(std::move(into1 ? target_ : source_),
                            std::move(into1 ? source_ : target_));
}

void ManyTables::TakeSessionsBack(append::AppendEngine& engine) {
  auto [connection1, connection2] = engine.HandBackConnections();
  const bool into1 = request_.appendToDatabase1;
  target_ = std::move(into1 ? connection1 : connection2);
  source_ = std::move(into1 ? connection2 : connection1);
}

// The foreign keys of every table made and filled, then their triggers, so that none fires
// during the copy. What the target refuses is named under its table; a target's session the
// last table lost is opened again.
void ManyTables::MakeLinks() {
  if (!target_ && std::none_of(tables_.begin(), tables_.end(),
                               [](const Table& table) { return table.madeAndFilled; })) {
    return;
  }
  if (!target_ && !append::Completed(on_, kLinksLine, [&] {
        target_ = jobs::Wait([&] {
          return Opened(request_.appendToDatabase1 ? request_.profile1 : request_.profile2);
        });
      })) {
    return;
  }
  for (const bool triggers : {false, true}) {
    for (Table& table : tables_) {
      if (!table.madeAndFilled) continue;
      const TableScript& script = *plan_.at(table.at).script;
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
