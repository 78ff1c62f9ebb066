#pragma once

// The line a job ends with on standard error (left out with --quiet): what it did, where, how
// long it took and how fast.

#include <QString>
#include <optional>
#include <vector>

#include "append/engine/append_engine.h"

namespace cli {

struct TableRun;

// "1200 rows appended to db2.dbo.Orders, 3 refused, in 2.5 s (480 rows/s); the table holds
// 5000 rows."; a stopped run begins "Stopped:" (at the limit of refused rows, says so), a lost
// connection names the rows not written, the condition on the source's rows follows the target
// when there was one, and the table's rows are left out when they were not counted.
QString AppendSummary(const append::AppendEngine::Outcome& outcome, const QString& target,
                      qint64 elapsedMs, const QString& where = {});

// The line of one table of many, as it ends: "db1.dbo.A -> db2.dbo.A: 5 rows appended, in
// batches, in 0.2 s." with what was refused, stopped or not run.
QString TableLine(const TableRun& run);
// The line that ends an append of many tables: how many got every row, the rows, the time.
QString TotalLine(const std::vector<TableRun>& runs, qint64 elapsedMs);

// "Joined into db1.dbo.Joined: 3 rows, in 0.4 s."; without the rows when they could not be
// counted.
QString JoinSummary(const QString& table, std::optional<qint64> rows, qint64 elapsedMs);

}  // namespace cli
