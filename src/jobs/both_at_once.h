#pragma once

// Two pieces of database work side by side.

#include <exception>
#include <functional>
#include <thread>

namespace jobs {

// Runs both at once, the second on a thread of its own, so that two servers (or two sessions of
// one) answer side by side; each failure is kept for its own report.
inline void BothAtOnce(const std::function<void()>& first, const std::function<void()>& second,
                       std::exception_ptr& firstFailure, std::exception_ptr& secondFailure) {
  std::thread other([&] {
    try {
      second();
    } catch (...) {
      secondFailure = std::current_exception();
    }
  });
  try {
    first();
  } catch (...) {
    firstFailure = std::current_exception();
  }
  other.join();
}

}  // namespace jobs
