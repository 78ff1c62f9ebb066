#pragma once

// The rows the target refused during a run: counted, kept in a file for the user to repair,
// and the limit that stops the run.

#include <QString>
#include <QtGlobal>
#include <memory>

#include "append/refused/refused_rows.h"
#include "append/refused/refused_rows_file.h"

namespace append {

struct RefusedState {
  RefusedRows rows;
  qint64 limit = 0;                       // the refused rows that stop the run; 0: no limit
  bool atLimit = false;                   // the run stopped there
  QString path;                           // chosen by the user, or empty
  std::unique_ptr<RefusedRowsFile> file;  // made at the first refused row
};

}  // namespace append
