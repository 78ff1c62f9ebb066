#pragma once

// The fast append's writing: rows go into the target many to a statement, a batch of up to a
// thousand rows and a bounded statement text. A batch the server refuses is split in halves
// until each refused row stands alone, so only the rows the server refuses are lost; each is
// handed to `refused` with the server's text. A lost connection ends the writing at once: its
// error is raised, and nothing more is sent.

#include <QString>
#include <functional>
#include <vector>

#include "append/append_statements.h"

namespace adodb {
class Connection;
}

namespace append {

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

 private:
  int Write(std::size_t first, std::size_t count);

  adodb::Connection& target_;
  InsertTarget table_;
  Refused refused_;
  std::vector<Row> waiting_;
  qsizetype waitingCharacters_ = 0;
  qint64 written_ = 0;
  QString statement_;
};

}  // namespace append
