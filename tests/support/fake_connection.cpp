#include <QString>
#include <algorithm>
#include <optional>

#include "support/fake_connection_string.h"
#include "support/fake_errors.h"
#include "support/fake_recordset.h"
#include "support/fake_state.h"
#include "support/fake_statements.h"

namespace fake {
namespace {

class FakeConnection : public adodb::Connection {
 public:
  // Connections are made and set on two threads at once (both logins checked side by side): the
  // log of connections grows under the server's mutex.
  explicit FakeConnection(std::shared_ptr<ServerState> state) : state_(std::move(state)) {
    const std::lock_guard lock(state_->mutex);
    index_ = static_cast<int>(state_->connections.size());
    state_->connections.emplace_back();
    ++state_->liveConnections;
  }
  ~FakeConnection() override {
    const std::lock_guard lock(state_->mutex);
    --state_->liveConnections;
  }

  void SetMode(int mode) override { LogProperty("Mode", mode); }
  void SetCommandTimeout(int seconds) override { LogProperty("CommandTimeout", seconds); }
  void SetConnectionTimeout(int seconds) override { LogProperty("ConnectionTimeout", seconds); }
  void SetCursorLocation(int location) override { LogProperty("CursorLocation", location); }

  void Open(const QString& connectionString) override {
    if (open_) throw ObjectOpen();
    {
      const std::lock_guard lock(state_->mutex);
      Log().connectionString = connectionString;
    }
    PassGate(*state_, index_, QStringLiteral("Open ") + connectionString);
    const std::lock_guard lock(state_->mutex);
    for (Refusal& refusal : state_->refusedOpens) {
      if (!connectionString.contains(refusal.containing)) continue;
      if (refusal.passing > 0) {
        --refusal.passing;
        continue;
      }
      if (refusal.beforeLogin) throw ConnectionFailed();
      throw LoginFailed(refusal.message);
    }
    database_ = ConnectionStringValue(connectionString, QStringLiteral("Database"));
    open_ = true;
    Log().opened = true;
  }

  std::unique_ptr<adodb::Recordset> Execute(const QString& statement) override {
    return Run(statement);
  }

  qint64 ExecuteNoRecords(const QString& statement) override {
    return RunLogged(statement).changed;
  }

  // Logged and refused like Execute; the result keeps its fields and gives no rows. As over
  // a driver that cannot describe before running, a statement without a result is carried out.
  std::unique_ptr<adodb::Recordset> Describe(const QString& statement) override {
    LogStatement(statement);
    const std::lock_guard lock(state_->mutex);
    Result result = RunStatement(state_->DatabaseNamed(database_), statement);
    result.rows.clear();
    result.returnsRows = false;
    return NewRecordset(state_, std::move(result));
  }

  std::unique_ptr<adodb::Recordset> OpenRecordset(const QString& source, int, int) override {
    return Run(source);
  }

  void Cancel() override { CancelAtGate(*state_, index_); }

  QString DefaultDatabase() override {
    const std::lock_guard lock(state_->mutex);
    return state_->DatabaseNamed(database_).Name();
  }

  std::unique_ptr<adodb::Recordset> OpenSchema(int schema) override {
    LogStatement(QStringLiteral("OpenSchema(%1)").arg(schema));
    if (schema != adodb::adSchemaTables) throw SchemaNotSupported();
    return NewRecordset(state_, TablesRowset());
  }

  void BeginTrans() override {
    if (!open_) throw ObjectClosed();
    state_->transactions << QStringLiteral("BeginTrans");
    before_ = std::make_unique<Database>(state_->DatabaseNamed(database_).Copy());
  }
  void CommitTrans() override {
    EndTransaction(QStringLiteral("CommitTrans"));
    before_.reset();
  }
  void RollbackTrans() override {
    EndTransaction(QStringLiteral("RollbackTrans"));
    state_->DatabaseNamed(database_) = std::move(*before_);
    before_.reset();
  }

 private:
  ConnectionLog& Log() { return state_->connections[index_]; }

  void EndTransaction(const QString& event) {
    if (!open_) throw ObjectClosed();
    if (!before_)
      throw NoTransaction(event == QLatin1String("CommitTrans") ? "COMMIT" : "ROLLBACK");
    state_->transactions << event;
  }

  void LogProperty(const char* name, int value) {
    const std::lock_guard lock(state_->mutex);
    Log().properties << QStringLiteral("%1=%2").arg(QLatin1String(name)).arg(value);
  }

  // Logs a statement sent on an open connection; a scripted refusal fails it after logging.
  void LogStatement(const QString& text) {
    if (!open_) throw ObjectClosed();
    {
      const std::lock_guard lock(state_->mutex);
      state_->statements.push_back({index_, text});
    }
    PassGate(*state_, index_, text);
    const std::lock_guard lock(state_->mutex);
    if (SessionEnded()) throw CommunicationLinkFailure();
    if (const Refusal* refusal = MatchingRefusal(state_->refusedStatements, text)) {
      throw RefusedStatement(refusal->message);
    }
  }

  // Counts this statement against a scripted loss of the connection; true once it is lost.
  bool SessionEnded() {
    std::optional<ConnectionLoss>& loss = state_->connectionLoss;
    if (!loss || !Log().connectionString.contains(loss->containing)) return false;
    if (loss->passing == 0) return true;
    --loss->passing;
    return false;
  }

  std::unique_ptr<adodb::Recordset> Run(const QString& statement) {
    return NewRecordset(state_, RunLogged(statement));
  }

  Result RunLogged(const QString& statement) {
    LogStatement(statement);
    const std::lock_guard lock(state_->mutex);
    if (std::optional<Result> marks = SessionMarks(statement)) return *marks;
    if (statement == QLatin1String("SELECT DB_NAME()")) {
      const QString name = database_.isEmpty() ? QStringLiteral("master") : database_;
      return Result{true, {QString()}, {{adodb::Value::Text(name)}}, {}};
    }
    return RunStatement(
        state_->DatabaseNamed(database_), statement,
        [this](const QString& name) -> Database& { return state_->DatabaseNamed(name); });
  }

  // A session's CONTEXT_INFO, and the sessions that hold a mark as sys.dm_exec_sessions shows
  // them: every session of this server.
  std::optional<Result> SessionMarks(const QString& statement) {
    static const QString kSet = QStringLiteral("SET CONTEXT_INFO 0x");
    static const QString kSessions = QStringLiteral("FROM sys.dm_exec_sessions WHERE");
    if (statement.startsWith(kSet)) {
      state_->contextInfo[index_] = statement.mid(kSet.size()).toLower();
      return Result{};
    }
    if (!statement.contains(kSessions)) return std::nullopt;
    const QString mark = statement.section(QStringLiteral("= 0x"), -1).toLower();
    const auto seen = std::count_if(state_->contextInfo.begin(), state_->contextInfo.end(),
                                    [&](const auto& session) { return session.second == mark; });
    return Result{true, {QString()}, {{adodb::Value::Text(QString::number(seen))}}, {}};
  }

  Result TablesRowset() {
    Result rowset{true, {"TABLE_CATALOG", "TABLE_SCHEMA", "TABLE_NAME", "TABLE_TYPE"}, {}, {}};
    for (const auto& object : state_->DatabaseNamed(database_).Objects()) {
      rowset.rows.push_back({adodb::Value::Text(database_), adodb::Value::Text(object->Schema()),
                             adodb::Value::Text(object->name), adodb::Value::Text(object->type)});
    }
    return rowset;
  }

  std::shared_ptr<ServerState> state_;
  int index_;
  bool open_ = false;
  QString database_;
  std::unique_ptr<Database> before_;  // the database when the open transaction began
};

}  // namespace

const Refusal* MatchingRefusal(const std::vector<Refusal>& refusals, const QString& text) {
  for (const Refusal& refusal : refusals) {
    if (text.contains(refusal.containing)) return &refusal;
  }
  return nullptr;
}

std::unique_ptr<adodb::Connection> NewConnection(std::shared_ptr<ServerState> state) {
  return std::make_unique<FakeConnection>(std::move(state));
}

}  // namespace fake
