#pragma once

// Two pieces of database work side by side.

#include <QThread>
#include <exception>
#include <functional>
#include <memory>

namespace jobs {

// Runs both at once, the second on a thread of its own, so that two servers (or two sessions of
// one) answer side by side; each failure is kept for its own report. The thread is Qt's own:
// the work calls into Qt, which on Windows follows a thread it did not start with a watcher of
// its own, and that watcher failed there when the threads came and went.
inline void BothAtOnce(const std::function<void()>& first, const std::function<void()>& second,
                       std::exception_ptr& firstFailure, std::exception_ptr& secondFailure) {
  const std::unique_ptr<QThread> other(QThread::create([&] {
    try {
      second();
    } catch (...) {
      secondFailure = std::current_exception();
    }
  }));
  other->start();
  try {
    first();
  } catch (...) {
    firstFailure = std::current_exception();
  }
  other->wait();
}

}  // namespace jobs
