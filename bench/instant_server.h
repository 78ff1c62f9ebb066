#pragma once

// A database that answers at once, behind the program's connection provider: tables are only
// names and fields, a query for a table gives its field names and no row, every other
// statement does nothing. The time spent inside its calls is counted, so that what a caller
// takes beyond it is the caller's own time.

#include <QHash>
#include <QString>
#include <QStringList>
#include <memory>

namespace bench {

class InstantServer {
 public:
  InstantServer();   // installs itself as the connection provider
  ~InstantServer();  // restores the default provider
  InstantServer(const InstantServer&) = delete;
  InstantServer& operator=(const InstantServer&) = delete;

  void AddTable(const QString& name, const QStringList& fields);

  struct State {
    QHash<QString, QStringList> tables;
    double secondsInside = 0;
    int statements = 0;
  };
  double SecondsInside() const { return state_->secondsInside; }
  int Statements() const { return state_->statements; }
  void ResetCounters();

 private:
  std::shared_ptr<State> state_;
};

}  // namespace bench
