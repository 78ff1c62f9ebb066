#pragma once

// The after-check's counts of the target: before the first row and after the last, and how
// the server counts.

#include <QString>
#include <QtGlobal>
#include <optional>

namespace append {

struct TargetCounts {
  std::optional<qint64> before;
  std::optional<qint64> after;
  bool countBig = true;  // COUNT_BIG counts here; otherwise COUNT(*) does
  QString failure;       // the server's text when a count failed
};

}  // namespace append
