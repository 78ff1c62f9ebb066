#pragma once

// The fast append's writing: rows go into the target many to a statement, a batch of up to a
// thousand rows and a bounded statement text. When the server refuses a statement, its rows are
// tried again in runs that start at one row and double while the server takes them; a refused
// run is tried again the same way, until each refused row stands alone. So only the rows the
// server refuses are lost, each handed to `refused` with the server's text; a few refused rows
// among many cost a few statements more, and rows that are all refused cost about one statement
// a row. A lost connection ends the writing at once: its error is raised, and nothing more is
// sent.

#include <QString>
#include <functional>
#include <vector>

#include "append/ways/append_statements.h"

namespace adodb {
class Connection;
}

namespace append {

class AppendJournal;

class BatchWriter {
 public:
  static constexpr std::size_t kMaxRows = 1000;
  // Characters of statement text, about 4 MB as the driver sends it; a single longer row still
  // goes alone.
  static constexpr qsizetype kMaxCharacters = 2'000'000;

  // A row the server refused, alone, with the server's text.
  using Refused = std::function<void(const QString& description, const Row& row)>;
  BatchWriter(adodb::Connection& target, InsertTarget table, Refused refused);
  BatchWriter(adodb::Connection& target, const MSSQL::TableName& table, Refused refused)
      : BatchWriter(target, InsertTarget{table, {}, {}, false, {}}, std::move(refused)) {}

  // Takes the row; first writes the rows waiting when the row would not fit their batch.
  // Answers how many rows this call wrote.
  int Add(const Row& row);
  // Writes the rows waiting; answers how many were written.
  int Flush();
  // Every row written so far, also those of a call that ended in a lost connection.
  qint64 Written() const { return written_; }

  // Notes each statement in `journal` before it goes, and its answer after.
  void Journal(AppendJournal* journal) { journal_ = journal; }

  // Writes nothing more after the `count`th refused row: the rows waiting then stay unwritten.
  void StopAfterRefusedRows(qint64 count) { maxRefused_ = count; }
  bool AtLimit() const { return maxRefused_ > 0 && refusedCount_ >= maxRefused_; }

 private:
  int Write(std::size_t first, std::size_t count);
  // Whether the server took the rows in one statement; a lost connection is raised.
  bool Took(std::size_t first, std::size_t count);

  adodb::Connection& target_;
  AppendJournal* journal_ = nullptr;
  InsertTarget table_;
  Refused refused_;
  std::vector<Row> waiting_;
  qsizetype waitingCharacters_ = 0;
  qint64 written_ = 0;
  std::size_t runRows_ = kMaxRows;  // the rows the next statement may hold
  qint64 maxRefused_ = 0;
  qint64 refusedCount_ = 0;
  QString lastRefusal_;  // the server's text for the statement it refused last
  QString statement_;
};

}  // namespace append
