#pragma once

// The benchmarks, one function each; each adds its figures to the report.

#include <QString>
#include <QStringList>

#include "harness.h"

namespace bench {

// The append engine against a bare loop of the same INSERT texts on one ODBC connection.
void AppendThroughput(Report& report);
// Peak memory of the append engine's row buffer against the bytes of the rows' text.
void ReadPhaseMemory(Report& report);
// The join page's field list and the join engine's field reading on a 1,000,000-row table
// against a 10-row table.
void FieldNamesOfALargeTable(Report& report);
// The table list of 5,000 tables against a bare SQLTables loop.
void TableListing(Report& report);
// From the wizard's start to the connection page shown and painted; `applicationSeconds` is
// what creating the application object took before.
void StartUp(Report& report, double applicationSeconds);
// The join engine's own time for two tables of 500 columns, the server answering at once.
void JoinEngineOwnTime(Report& report);

// On a live T-SQL server: both ways of the fast append against one INSERT a row.
void FastAppendLive(Report& report);
// On a live T-SQL server: --create of tables of every kind of object against a bare client
// sending the same statements.
void WholeCopyLive(Report& report);
void SmallTablesLive(Report& report);
// A bare client process of a job: one login running the statements in turn, then exit.
int BareStatementChild(const QString& connectionString, const QStringList& statements);
// On a live T-SQL server: the after-check's two counts of a 1,000,000-row target against a
// fast append into it.
void AfterCheckLive(Report& report);
// The append's peak memory while it streams 1,000,000 rows against 10,000, in batches or one
// INSERT a row, each in a process of its own started as "streamed-child ROWS" or
// "per-row-child ROWS" (or "bare-read-child ROWS" for the bare read of the same rows).
void StreamedAppendMemory(Report& report);
void PerRowAppendMemory(Report& report);
int StreamedAppendChild(int rows, const QString& way);
// On a live T-SQL server, both tables in one database: the same, one INSERT a row and in
// batches, each in a process of its own ("one-db-per-row-child ROWS", "one-db-batches-child
// ROWS") stopped after a few thousand rows.
void OneDatabaseMemory(Report& report);
int OneDatabaseAppendChild(int rows, const QString& way);

// On a live T-SQL server: `ombrelia join` as a process of its own against a bare client process
// running the same full outer join, at 100,000 and 1,000,000 rows a side; the join page's run
// beside them.
void JoinLive(Report& report);

}  // namespace bench
