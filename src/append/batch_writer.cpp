#include "append/batch_writer.h"

#include "platform/adodb.h"

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

// A refused batch is tried again in halves; a refused single row is lost alone.
int BatchWriter::Write(std::size_t first, std::size_t count) {
  WriteInsertRowsStatement(statement_, table_, waiting_.data() + first, count);
  try {
    target_.ExecuteNoRecords(statement_);
    written_ += static_cast<qint64>(count);
    return static_cast<int>(count);
  } catch (const adodb::Error& error) {
    if (error.ConnectionLost()) throw;
    if (count == 1) {
      refused_(error.Description(), waiting_[first]);
      return 0;
    }
  }
  // The halves are written one after the other, so that the first half's rows stay counted
  // when the second ends in a lost connection.
  const std::size_t half = count / 2;
  const int firstHalf = Write(first, half);
  return firstHalf + Write(first + half, count - half);
}

}  // namespace append
