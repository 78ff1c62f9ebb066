#include "append/ways/batch_writer.h"

#include "append/resume/append_journal.h"

#include <algorithm>

#include "platform/odbc/adodb.h"
#include "platform/odbc/statement_log.h"

namespace append {

BatchWriter::BatchWriter(adodb::Connection& target, InsertTarget table, Refused refused)
    : target_(target), table_(std::move(table)), refused_(std::move(refused)) {}

int BatchWriter::Add(const Row& row) {
  const qsizetype characters = LongestRowText(row);
  int written = 0;
  if (!waiting_.empty() &&
      (waiting_.size() == kMaxRows || waitingCharacters_ + characters > kMaxCharacters)) {
    written = Flush();
  }
  waiting_.push_back(row);
  waitingCharacters_ += characters;
  return written;
}

int BatchWriter::Flush() {
  const int written = waiting_.empty() ? 0 : Write(0, waiting_.size());
  waiting_.clear();
  waitingCharacters_ = 0;
  return written;
}

// Runs of as many rows as the last statements showed the server takes: the whole batch while
// it takes them all; after a refusal one row, then two, four and on while the server takes
// them. A refused run is tried again the same way inside itself; a refused single row is lost
// alone. The runs go one after the other, so that the rows written stay counted when a later
// run ends in a lost connection.
int BatchWriter::Write(std::size_t first, std::size_t count) {
  int written = 0;
  for (std::size_t at = first, end = first + count; at < end && !AtLimit();) {
    const std::size_t run = std::min(runRows_, end - at);
    if (Took(at, run)) {
      written += static_cast<int>(run);
      runRows_ = std::min(kMaxRows, runRows_ * 2);
    } else if (run == 1) {
      ++refusedCount_;
      refused_(lastRefusal_, waiting_[at]);
      runRows_ = 1;
    } else {
      runRows_ = 1;
      written += Write(at, run);
    }
    at += run;
  }
  return written;
}

bool BatchWriter::Took(std::size_t first, std::size_t count) {
  WriteInsertRowsStatement(statement_, table_, waiting_.data() + first, count);
  if (journal_) journal_->Sending(waiting_[first + count - 1], static_cast<qint64>(count));
  try {
    target_.ExecuteNoRecords(statement_);
    written_ += static_cast<qint64>(count);
    if (journal_) journal_->Took();
    return true;
  } catch (const adodb::Error& error) {
    // A lost connection or a statement out of time ends the writing: neither is a row's fault.
    if (error.ConnectionLost() || adodb::IsTimeout(error.SqlState())) throw;
    lastRefusal_ = error.Description();
    // A refused row is passed; a refused run is tried again row by row.
    if (journal_ && count == 1) journal_->Refused();
    if (journal_ && count > 1) journal_->NotWritten();
    return false;
  }
}

}  // namespace append
