#pragma once

// The line a job ends with on standard error (left out with --quiet): what it did, where, how
// long it took and how fast.

#include <QString>
#include <optional>

#include "append/append_engine.h"

namespace cli {

// "1200 rows appended to db2.dbo.Orders, 3 refused, in 2.5 s (480 rows/s); the table holds
// 5000 rows."; a stopped run begins "Stopped:" (at the limit of refused rows, says so), a lost
// connection names the rows not written, the condition on the source's rows follows the target
// when there was one, and the table's rows are left out when they were not counted.
QString AppendSummary(const append::AppendEngine::Outcome& outcome, const QString& target,
                      qint64 elapsedMs, const QString& where = {});

// "Joined into db1.dbo.Joined: 3 rows, in 0.4 s."; without the rows when they could not be
// counted.
QString JoinSummary(const QString& table, std::optional<qint64> rows, qint64 elapsedMs);

}  // namespace cli
