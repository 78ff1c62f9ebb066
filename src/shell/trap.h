#pragma once

// Runs a handler's statements one by one. A statement that throws is reported with the
// handler's location and its line number, and the next statement runs; a condition that
// throws is reported and counts as held. Once the program has ended nothing more runs.

#include <QString>
#include <exception>

#include "platform/desktop/app.h"

namespace shell {

class Trap {
 public:
  explicit Trap(QString location) : location_(std::move(location)) {}

  template <class Statement>
  void operator()(int line, Statement&& statement) {
    if (app::Ended()) return;
    try {
      statement();
    } catch (...) {
      Report(line, std::current_exception());
    }
  }

  template <class Condition>
  bool when(int line, Condition&& condition) {
    if (app::Ended()) return false;
    try {
      return condition();
    } catch (...) {
      Report(line, std::current_exception());
      return true;
    }
  }

 private:
  void Report(int line, std::exception_ptr failure) const;
  QString location_;
};

// The description of a caught failure, as the user is shown it.
QString DescriptionOf(std::exception_ptr failure);

}  // namespace shell
