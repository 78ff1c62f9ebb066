#include "append/ways/row_buffer.h"

#include <algorithm>
#include <cstring>

namespace append {
namespace {

// How a value is stored: its kind byte.
enum Stored : unsigned char { kNull = 0, kLatin1 = 1, kUtf16 = 2, kBinary = 3 };

constexpr std::size_t kSmallestBlock = 4096;
constexpr std::size_t kLargestBlock = std::size_t{1} << 20;

bool IsLatin1(const QString& text) {
  char16_t units = 0;
  for (const QChar c : text) units |= c.unicode();
  return units < 0x100;
}

Stored StoredKind(const adodb::Value& value) {
  switch (value.kind) {
    case adodb::Value::Kind::Null:
      return kNull;
    case adodb::Value::Kind::Binary:
      return kBinary;
    case adodb::Value::Kind::Text:
      break;
  }
  return IsLatin1(value.text) ? kLatin1 : kUtf16;
}

std::size_t PayloadSize(Stored kind, const adodb::Value& value) {
  switch (kind) {
    case kNull:
      return 0;
    case kLatin1:
      return static_cast<std::size_t>(value.text.size());
    case kUtf16:
      return static_cast<std::size_t>(value.text.size()) * sizeof(char16_t);
    case kBinary:
      return static_cast<std::size_t>(value.bytes.size());
  }
  return 0;
}

std::size_t NumberSize(std::size_t number) {
  std::size_t size = 1;
  while (number >= 0x80) {
    number >>= 7;
    ++size;
  }
  return size;
}

char* PutNumber(char* out, std::size_t number) {
  while (number >= 0x80) {
    *out++ = static_cast<char>((number & 0x7F) | 0x80);
    number >>= 7;
  }
  *out++ = static_cast<char>(number);
  return out;
}

const char* TakeNumber(const char* in, std::size_t& number) {
  number = 0;
  int shift = 0;
  unsigned char byte = 0;
  do {
    byte = static_cast<unsigned char>(*in++);
    number |= static_cast<std::size_t>(byte & 0x7F) << shift;
    shift += 7;
  } while (byte & 0x80);
  return in;
}

char* PutPayload(char* out, Stored kind, const adodb::Value& value, std::size_t size) {
  switch (kind) {
    case kNull:
      break;
    case kLatin1:
      std::transform(value.text.cbegin(), value.text.cend(), out,
                     [](QChar c) { return static_cast<char>(c.unicode()); });
      break;
    case kUtf16:
      std::memcpy(out, value.text.utf16(), size);
      break;
    case kBinary:
      std::memcpy(out, value.bytes.constData(), size);
      break;
  }
  return out + size;
}

// Reads a value into `value`, in the storage its text and bytes already have: a reader that is
// given the same row each time allocates little after the first rows.
void TakeValue(Stored kind, const char* in, std::size_t size, adodb::Value& value) {
  const auto length = static_cast<qsizetype>(size);
  switch (kind) {
    case kNull:
      return value.SetNull();
    case kLatin1:
      return value.SetText(QLatin1StringView(in, length));
    case kUtf16:
      return value.SetUtf16Text(in, length / qsizetype(sizeof(char16_t)));
    case kBinary:
      return value.SetBytes(in, length);
  }
}

}  // namespace

void RowBuffer::Append(const Row& row) {
  AppendValues(row.size(), [&](std::size_t i) -> const adodb::Value& { return row[i]; });
}

// The values are taken where the source holds them, not copied into a row first: a row is read
// for every row of the source table.
void RowBuffer::AppendRowOf(adodb::Recordset& source) {
  const auto count = static_cast<std::size_t>(source.FieldCount());
  AppendValues(count, [&](std::size_t i) -> const adodb::Value& {
    return source.FieldValue(static_cast<int>(i));
  });
}

// The kinds are worked out once, in the pass that sizes the row; a value that cannot be read
// fails that pass, before anything is stored.
template <class ValueAt>
void RowBuffer::AppendValues(std::size_t count, ValueAt valueAt) {
  kinds_.resize(count);
  std::size_t size = NumberSize(count);
  for (std::size_t i = 0; i < count; ++i) {
    const adodb::Value& value = valueAt(i);
    const Stored kind = StoredKind(value);
    kinds_[i] = kind;
    const std::size_t payload = PayloadSize(kind, value);
    size += 1 + NumberSize(payload) + payload;
  }
  char* out = PutNumber(Reserve(size), count);
  for (std::size_t i = 0; i < count; ++i) {
    const adodb::Value& value = valueAt(i);
    const auto kind = static_cast<Stored>(kinds_[i]);
    const std::size_t payload = PayloadSize(kind, value);
    *out++ = static_cast<char>(kind);
    out = PutPayload(PutNumber(out, payload), kind, value, payload);
  }
  ++count_;
}

std::size_t RowBuffer::CapacityBytes() const {
  std::size_t total = 0;
  for (const Block& block : blocks_) total += block.capacity;
  return total;
}

// Room for one row in the last block; a row never spans two blocks.
char* RowBuffer::Reserve(std::size_t size) {
  if (blocks_.empty() || blocks_.back().capacity - blocks_.back().used < size) {
    const std::size_t grown = std::clamp(CapacityBytes(), kSmallestBlock, kLargestBlock);
    Block block;
    block.capacity = std::max(size, grown);
    block.bytes = std::make_unique_for_overwrite<char[]>(block.capacity);
    blocks_.push_back(std::move(block));
  }
  Block& last = blocks_.back();
  char* room = last.bytes.get() + last.used;
  last.used += size;
  return room;
}

bool RowBuffer::Reader::Next(Row& row) {
  const std::vector<Block>& blocks = buffer_->blocks_;
  while (block_ < blocks.size() && offset_ >= blocks[block_].used) {
    ++block_;
    offset_ = 0;
  }
  if (block_ >= blocks.size()) return false;
  const char* start = blocks[block_].bytes.get() + offset_;
  std::size_t fields = 0;
  const char* in = TakeNumber(start, fields);
  row.resize(fields);
  for (adodb::Value& value : row) {
    const auto kind = static_cast<Stored>(static_cast<unsigned char>(*in++));
    std::size_t size = 0;
    in = TakeNumber(in, size);
    TakeValue(kind, in, size, value);
    in += size;
  }
  offset_ += static_cast<std::size_t>(in - start);
  return true;
}

}  // namespace append
