#pragma once

// What the command line watches of the statements a job sends: with --verbose each is written
// to standard error as it ends ("ombrelia: 12 ms: SELECT ..."), the values of rows left out; and
// whether one ran out of time, so that a run cut by --query-timeout is told as such. The watch
// covers the connections opened while it stands.

#include <QString>
#include <atomic>
#include <cstdio>
#include <mutex>

#include "platform/odbc/statement_log.h"

namespace cli {

class StatementWatch {
 public:
  // `verbose` writes every statement to `err`, the standard error of the command.
  explicit StatementWatch(bool verbose, std::FILE* err = stderr);
  ~StatementWatch();  // the connections opened afterwards are not watched
  StatementWatch(const StatementWatch&) = delete;
  StatementWatch& operator=(const StatementWatch&) = delete;

  // How many statements ran out of time so far.
  int Timeouts() const { return timeouts_.load(); }

 private:
  void Sent(const adodb::SentStatement& statement);

  bool verbose_;
  std::FILE* err_;
  std::mutex writing_;  // statements end on the worker and the main thread alike
  std::atomic<int> timeouts_ = 0;
};

}  // namespace cli
