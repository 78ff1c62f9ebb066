#include "recorded_connections.h"

#include <deque>
#include <mutex>

#include "jobs/worker.h"
#include "platform/odbc/adodb.h"

struct RecordedConnections::State {
  std::deque<std::unique_ptr<adodb::Connection>> unused;
  int handedOut = 0;
  QStringList log;
  std::mutex logMutex;  // two connections may log at once, each on a thread of its own
  std::function<void(int, const QString&)> hook;
};

namespace {

class RecordingConnection : public adodb::Connection {
 public:
  RecordingConnection(std::shared_ptr<RecordedConnections::State> state, int number,
                      std::unique_ptr<adodb::Connection> inner)
      : state_(std::move(state)), number_(number), inner_(std::move(inner)) {}

  void SetMode(int mode) override {
    Log(QStringLiteral("Mode=%1").arg(mode));
    inner_->SetMode(mode);
  }
  void SetCommandTimeout(int seconds) override {
    Log(QStringLiteral("CommandTimeout=%1").arg(seconds));
    inner_->SetCommandTimeout(seconds);
  }
  void SetConnectionTimeout(int seconds) override {
    Log(QStringLiteral("ConnectionTimeout=%1").arg(seconds));
    inner_->SetConnectionTimeout(seconds);
  }
  void SetCursorLocation(int location) override {
    Log(QStringLiteral("CursorLocation=%1").arg(location));
    inner_->SetCursorLocation(location);
  }
  void Open(const QString& connectionString) override {
    Log(QStringLiteral("Open"));
    inner_->Open(connectionString);
  }
  std::unique_ptr<adodb::Recordset> Execute(const QString& statement) override {
    Statement(statement);
    return inner_->Execute(statement);
  }
  std::unique_ptr<adodb::Recordset> Describe(const QString& statement) override {
    Statement(statement);
    return inner_->Describe(statement);
  }
  void Cancel() override { inner_->Cancel(); }
  std::unique_ptr<adodb::Recordset> OpenSchema(int schema) override {
    Statement(QStringLiteral("OpenSchema(%1)").arg(schema));
    return inner_->OpenSchema(schema);
  }
  QString DefaultDatabase() override { return inner_->DefaultDatabase(); }
  std::unique_ptr<adodb::Recordset> OpenRecordset(const QString& source, int cursorType,
                                                  int lockType) override {
    Statement(source);
    return inner_->OpenRecordset(source, cursorType, lockType);
  }

 private:
  void Log(const QString& call) {
    const std::lock_guard lock(state_->logMutex);
    state_->log << QString::number(number_) + ' ' + call;
  }

  // The hook runs on the window's thread, which then processes its pending events once, as
  // between two rows of a run, before the statement goes on.
  void Statement(const QString& statement) {
    Log(statement);
    if (state_->hook) jobs::OnWindowThread([&] { state_->hook(number_, statement); });
  }

  std::shared_ptr<RecordedConnections::State> state_;
  int number_;
  std::unique_ptr<adodb::Connection> inner_;
};

adodb::Error NoMoreConnections() {
  return adodb::Error(QStringLiteral("The recorder has no connection left."),
                      QStringLiteral("HY000"), 0);
}

}  // namespace

RecordedConnections::RecordedConnections(int count) : state_(std::make_shared<State>()) {
  for (int i = 0; i < count; ++i) state_->unused.push_back(adodb::CreateConnection());
  adodb::SetConnectionProvider([state = state_]() -> std::unique_ptr<adodb::Connection> {
    if (state->unused.empty()) throw NoMoreConnections();
    std::unique_ptr<adodb::Connection> inner = std::move(state->unused.front());
    state->unused.pop_front();
    return std::make_unique<RecordingConnection>(state, ++state->handedOut, std::move(inner));
  });
}

RecordedConnections::~RecordedConnections() {
  adodb::SetConnectionProvider(
      []() -> std::unique_ptr<adodb::Connection> { throw NoMoreConnections(); });
}

QStringList RecordedConnections::Log() const {
  const std::lock_guard lock(state_->logMutex);
  return state_->log;
}

void RecordedConnections::BeforeStatement(std::function<void(int, const QString&)> hook) {
  state_->hook = std::move(hook);
}
