#pragma once

// Stands between the program and the next connections it makes: each is one made in advance
// by the provider in place (the in-memory server), numbered from 1 in the order the program
// asks for them. Every property, open and statement of these connections goes into one log,
// in the order of the calls across connections, and a hook runs before each statement goes on.

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class RecordedConnections {
 public:
  // Takes `count` connections from the provider in place and puts the recorder in its stead.
  // Once they are handed out, a further connection is refused.
  explicit RecordedConnections(int count);
  // Later connections are refused; the in-memory server restores the real provider when it goes.
  ~RecordedConnections();
  RecordedConnections(const RecordedConnections&) = delete;
  RecordedConnections& operator=(const RecordedConnections&) = delete;

  // "1 CommandTimeout=5000", "2 Open", "1 INSERT INTO ...": the connection's number and the call.
  QStringList Log() const;
  // Runs before a statement goes to the server, with the connection's number; may throw to
  // fail the statement.
  void BeforeStatement(std::function<void(int connection, const QString& statement)> hook);

  struct State;

 private:
  std::shared_ptr<State> state_;
};
