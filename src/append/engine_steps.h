#pragma once

// How the append engine runs its steps: on the worker, keeping a failure for the report, or
// through the handler's trap.

#include <exception>
#include <functional>
#include <thread>

#include "shell/trap.h"

namespace append {

// Runs one step of the worker's loop; a failure is kept with the step's line for the report.
template <class Step>
inline bool StepDone(int line, Step&& step, int& failedLine, std::exception_ptr& failure) {
  try {
    step();
    return true;
  } catch (...) {
    failedLine = line;
    failure = std::current_exception();
    return false;
  }
}

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

// Runs one statement through the trap and tells whether it completed.
template <class Statement>
inline bool Completed(shell::Trap& on, int line, Statement&& statement) {
  bool completed = false;
  on(line, [&] {
    statement();
    completed = true;
  });
  return completed;
}

}  // namespace append
