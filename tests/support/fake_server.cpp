#include "support/fake_server.h"

#include <stdexcept>
#include <utility>

FakeServer::FakeServer() : state_(std::make_shared<fake::ServerState>()) {
  adodb::SetConnectionProvider([state = state_] { return fake::NewConnection(state); });
}

FakeServer::~FakeServer() {
  adodb::SetConnectionProvider({});
}

fake::Table& FakeServer::Add(const QString& database, fake::Table table) {
  for (const Row& row : table.rows) {
    if (row.size() != static_cast<size_t>(table.columns.size())) {
      throw std::invalid_argument("a row of " + table.name.toStdString() +
                                  " does not have one value per column");
    }
  }
  return state_->DatabaseNamed(database).Create(std::move(table));
}

void FakeServer::AddTable(const QString& database, const QString& name, const QStringList& columns,
                          std::vector<Row> rows) {
  Add(database, {name, columns, std::move(rows), QStringLiteral("TABLE"), {}, {}});
}

void FakeServer::AddTableIn(const QString& database, const QString& schema, const QString& name,
                            const QStringList& columns, std::vector<Row> rows) {
  Add(database, {name, columns, std::move(rows), QStringLiteral("TABLE"), schema, {}});
}

void FakeServer::SetColumnFacts(const QString& database, const QString& schema, const QString& name,
                                std::vector<MSSQL::ColumnFacts> facts) {
  fake::Table* table = state_->DatabaseNamed(database).Find(fake::QualifiedName{schema, name});
  if (!table) throw std::invalid_argument("no table " + name.toStdString());
  table->facts = std::move(facts);
}

void FakeServer::SetKey(const QString& database, const QString& name, const QStringList& key) {
  fake::Table* table = state_->DatabaseNamed(database).Find(fake::QualifiedName{{}, name});
  if (!table) throw std::invalid_argument("no table " + name.toStdString());
  table->key = key;
}

void FakeServer::AddView(const QString& database, const QString& name, const QStringList& columns) {
  Add(database, {name, columns, {}, QStringLiteral("VIEW"), {}, {}});
}

void FakeServer::AddSystemTable(const QString& database, const QString& name,
                                const QStringList& columns) {
  Add(database, {name, columns, {}, QStringLiteral("SYSTEM TABLE"), {}, {}});
}

const FakeServer::Table* FakeServer::FindTable(const QString& database, const QString& name) const {
  return state_->DatabaseNamed(database).Find(name);
}

const FakeServer::Table* FakeServer::FindTableIn(const QString& database, const QString& schema,
                                                 const QString& name) const {
  return state_->DatabaseNamed(database).Find(fake::QualifiedName{schema, name});
}

QStringList FakeServer::TableNames(const QString& database) const {
  QStringList names;
  for (const auto& object : state_->DatabaseNamed(database).Objects()) names << object->name;
  return names;
}

FakeServer::Row FakeServer::TextRow(std::initializer_list<const char*> values) {
  Row row;
  for (const char* value : values) {
    row.push_back(value ? adodb::Value::Text(QString::fromUtf8(value)) : adodb::Value::Null());
  }
  return row;
}

void FakeServer::RefuseOpen(const QString& containing, const QString& message) {
  state_->refusedOpens.push_back({containing, message});
}

void FakeServer::FailConnecting(const QString& containing) {
  state_->refusedOpens.push_back({containing, QString(), 0, true});
}

void FakeServer::RefuseOpenAfter(int passing, const QString& containing, const QString& message) {
  state_->refusedOpens.push_back({containing, message, passing});
}

void FakeServer::RefuseStatements(const QString& containing, const QString& message) {
  state_->refusedStatements.push_back({containing, message});
}

void FakeServer::FailFetchAfter(int rows, const QString& message) {
  state_->fetchFailure = fake::FetchFailure{rows, message};
}

void FakeServer::BlockStatements(const QString& containing, std::function<void()> whenBlocked) {
  auto gate = std::make_shared<fake::Gate>();
  gate->containing = containing;
  gate->whenBlocked = std::move(whenBlocked);
  const std::shared_ptr<fake::Gate> earlier = std::exchange(state_->gate, std::move(gate));
  if (!earlier) return;
  // The statement waiting at the earlier gate, if one is, sees the new gate once it goes on.
  const std::lock_guard lock(earlier->mutex);
  earlier->released = true;
  earlier->changed.notify_all();
}

void FakeServer::Release() {
  if (!state_->gate) return;
  const std::lock_guard lock(state_->gate->mutex);
  state_->gate->released = true;
  state_->gate->changed.notify_all();
}

void FakeServer::ClearFaults() {
  state_->refusedOpens.clear();
  state_->refusedStatements.clear();
  state_->fetchFailure.reset();
  state_->connectionLoss.reset();
}

const std::vector<FakeServer::ConnectionLog>& FakeServer::Connections() const {
  return state_->connections;
}

QStringList FakeServer::Statements() const {
  QStringList texts;
  for (const fake::LoggedStatement& statement : state_->statements) texts << statement.text;
  return texts;
}

QStringList FakeServer::StatementsOn(int connection) const {
  QStringList texts;
  for (const fake::LoggedStatement& statement : state_->statements) {
    if (statement.connection == connection) texts << statement.text;
  }
  return texts;
}

int FakeServer::RowsFetched() const {
  return state_->rowsFetched;
}

int FakeServer::LiveConnections() const {
  return state_->liveConnections;
}

QStringList FakeServer::Transactions() const {
  return state_->transactions;
}

void FakeServer::LoseConnectionAfter(int passing, const QString& containing) {
  state_->connectionLoss = fake::ConnectionLoss{containing, passing};
}
