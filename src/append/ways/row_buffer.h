#pragma once

// The rows of a source table, held in memory in the order they were read, until they are
// written. Values keep their kind (NULL, text, binary) and every character; the store is
// compact: each value is a kind byte, its length and its bytes (text of Latin-1 characters one
// byte a character, any other text in UTF-16), rows packed one after another in large blocks.

#include <cstddef>
#include <memory>
#include <vector>

#include "platform/odbc/adodb.h"

namespace append {

using Row = std::vector<adodb::Value>;

class RowBuffer {
 public:
  RowBuffer() = default;
  RowBuffer(const RowBuffer&) = delete;
  RowBuffer& operator=(const RowBuffer&) = delete;
  RowBuffer(RowBuffer&&) = default;
  RowBuffer& operator=(RowBuffer&&) = default;

  void Append(const Row& row);
  // The current row of `source`, every field of it, read where the source holds it.
  void AppendRowOf(adodb::Recordset& source);
  std::size_t Count() const { return count_; }
  // The bytes the buffer holds in its blocks, used or not.
  std::size_t CapacityBytes() const;

  // Reads the rows back from the first, in order.
  class Reader {
   public:
    explicit Reader(const RowBuffer& buffer) : buffer_(&buffer) {}
    // The next row, into `row`; false after the last one. The values `row` holds lend their
    // storage to the new ones, so passing the same row for every call spares allocations.
    bool Next(Row& row);

   private:
    const RowBuffer* buffer_;
    std::size_t block_ = 0;
    std::size_t offset_ = 0;
  };
  Reader Read() const { return Reader(*this); }

 private:
  struct Block {
    std::unique_ptr<char[]> bytes;
    std::size_t used = 0;
    std::size_t capacity = 0;
  };

  char* Reserve(std::size_t size);
  template <class ValueAt>
  void AppendValues(std::size_t count, ValueAt valueAt);

  std::vector<Block> blocks_;
  std::size_t count_ = 0;
  std::vector<unsigned char> kinds_;  // how each value of the row being added is stored
};

}  // namespace append
