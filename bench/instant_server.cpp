#include "instant_server.h"

#include <chrono>

#include "platform/odbc/adodb.h"

namespace bench {
namespace {

// Adds the time of its own life to the server's count.
class TimeInside {
 public:
  explicit TimeInside(InstantServer::State& state)
      : state_(state), start_(std::chrono::steady_clock::now()) {}
  ~TimeInside() {
    state_.secondsInside +=
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
  }

 private:
  InstantServer::State& state_;
  std::chrono::steady_clock::time_point start_;
};

class InstantRecordset : public adodb::Recordset {
 public:
  explicit InstantRecordset(QStringList fields) : fields_(std::move(fields)) {}
  int FieldCount() const override { return static_cast<int>(fields_.size()); }
  QString FieldName(int i) const override { return fields_.at(i); }
  const adodb::Value& FieldValue(int) override {
    static const adodb::Value null;
    return null;
  }
  bool Eof() override { return true; }
  void MoveNext() override {}
  void Close() override {}

 private:
  QStringList fields_;
};

// The table a "SELECT * FROM [name]..." reads; empty for any other statement.
QString TableRead(const QString& statement) {
  static const QString prefix = QStringLiteral("SELECT * FROM [");
  if (!statement.startsWith(prefix, Qt::CaseInsensitive)) return {};
  const qsizetype end = statement.indexOf(QLatin1Char(']'), prefix.size());
  return end < 0 ? QString() : statement.mid(prefix.size(), end - prefix.size());
}

class InstantConnection : public adodb::Connection {
 public:
  explicit InstantConnection(std::shared_ptr<InstantServer::State> state)
      : state_(std::move(state)) {}
  void SetMode(int) override {}
  void SetCommandTimeout(int) override {}
  void SetConnectionTimeout(int) override {}
  void SetCursorLocation(int) override {}
  void Open(const QString&) override {}
  void Cancel() override {}
  std::unique_ptr<adodb::Recordset> Execute(const QString& statement) override {
    TimeInside inside(*state_);
    ++state_->statements;
    return std::make_unique<InstantRecordset>(state_->tables.value(TableRead(statement)));
  }
  std::unique_ptr<adodb::Recordset> Describe(const QString& statement) override {
    return Execute(statement);
  }
  std::unique_ptr<adodb::Recordset> OpenSchema(int) override {
    TimeInside inside(*state_);
    return std::make_unique<InstantRecordset>(QStringList());
  }
  std::unique_ptr<adodb::Recordset> OpenRecordset(const QString& source, int, int) override {
    return Execute(source);
  }

 private:
  std::shared_ptr<InstantServer::State> state_;
};

}  // namespace

InstantServer::InstantServer() : state_(std::make_shared<State>()) {
  adodb::SetConnectionProvider([state = state_]() -> std::unique_ptr<adodb::Connection> {
    TimeInside inside(*state);
    return std::make_unique<InstantConnection>(state);
  });
}

InstantServer::~InstantServer() {
  adodb::SetConnectionProvider({});
}

void InstantServer::AddTable(const QString& name, const QStringList& fields) {
  state_->tables.insert(name, fields);
}

void InstantServer::ResetCounters() {
  state_->secondsInside = 0;
  state_->statements = 0;
}

}  // namespace bench
