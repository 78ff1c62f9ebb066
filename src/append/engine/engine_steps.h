#pragma once

// How the append engine runs its steps: on the worker, keeping a failure for the report, or
// through the handler's trap.

#include <exception>
#include <functional>

#include "append/ways/row_buffer.h"
#include "jobs/both_at_once.h"
#include "platform/odbc/adodb.h"
#include "platform/odbc/statement_log.h"
#include "shell/trap.h"

namespace append {

using jobs::BothAtOnce;

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

// Whether a statement failed because it ran longer than the query time-out: not a refusal of
// its rows, and nothing to try again in smaller pieces.
inline bool TimedOut(const std::exception_ptr& failure) {
  try {
    std::rethrow_exception(failure);
  } catch (const adodb::Error& error) {
    return adodb::IsTimeout(error.SqlState());
  } catch (...) {
    return false;
  }
}

// The current row of `source` into `row`, value for value.
inline void ReadRowOf(adodb::Recordset& source, Row& row) {
  row.resize(static_cast<std::size_t>(source.FieldCount()));
  for (std::size_t i = 0; i < row.size(); ++i) row[i] = source.FieldValue(static_cast<int>(i));
}

}  // namespace append
