#pragma once

// What the in-memory server holds: its databases, its logs and its scripted faults. The
// FakeServer, its connections and their recordsets share it, so that a connection that
// outlives the server stays safe to use.

#include <QString>
#include <QStringList>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/odbc/adodb.h"
#include "support/fake_catalogue.h"

namespace fake {

struct ConnectionLog {
  QString connectionString;
  QStringList properties;  // "Name=value", in the order set
  bool opened = false;
};

struct LoggedStatement {
  int connection;
  QString text;
};

struct Refusal {
  QString containing;
  QString message;
  int passing = 0;           // matching opens still let through before the refusals begin
  bool beforeLogin = false;  // the connection fails before any login
};

// The server ends the sessions of matching connections once `passing` more statements ran.
struct ConnectionLoss {
  QString containing;
  int passing = 0;
};

struct FetchFailure {
  int rows;
  QString message;
};

// Statements that wait until released or cancelled: a statement that runs as long as a test
// wants. The worker that sends it waits under the mutex; the window's thread releases it.
struct Gate {
  QString containing;
  std::function<void()> whenBlocked;  // posted to the window's thread when a statement waits
  std::mutex mutex;
  std::condition_variable changed;
  bool released = false;
  int waitingConnection = -1;  // the connection whose statement waits, or -1
  bool cancelled = false;
};

struct ServerState {
  std::map<QString, Database> databases;  // by case-folded name
  std::vector<ConnectionLog> connections;
  std::vector<LoggedStatement> statements;
  std::vector<Refusal> refusedOpens;
  std::vector<Refusal> refusedStatements;
  std::optional<FetchFailure> fetchFailure;
  std::optional<ConnectionLoss> connectionLoss;
  std::atomic<int> rowsFetched = 0;
  // Two connections may work at once, each on a thread of its own (the append logs in to both
  // databases and looks at both tables side by side): the state is theirs one at a time.
  std::recursive_mutex mutex;
  int liveConnections = 0;
  std::shared_ptr<Gate> gate;
  QStringList transactions;            // "BeginTrans", "CommitTrans", "RollbackTrans", in order
  std::map<int, QString> contextInfo;  // SET CONTEXT_INFO of each connection, by its index

  Database& DatabaseNamed(const QString& name) {
    Database& database = databases[name.toCaseFolded()];
    if (database.Name().isEmpty()) database.SetName(name);
    return database;
  }
};

// Waits while `text` matches the gate, until it is released or the connection's statement is
// cancelled (which throws).
void PassGate(ServerState& state, int connection, const QString& text);
// Cancels the statement of the connection that waits at the gate, if it does.
void CancelAtGate(ServerState& state, int connection);

// The first refusal whose text occurs in `text`, if any.
const Refusal* MatchingRefusal(const std::vector<Refusal>& refusals, const QString& text);

std::unique_ptr<adodb::Connection> NewConnection(std::shared_ptr<ServerState> state);

}  // namespace fake
