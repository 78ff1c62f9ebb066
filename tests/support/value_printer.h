#pragma once

// Lets test failures print field values as text. Every test file of this program that compares
// values includes it, so that one printer serves them all.

#include <ostream>

#include "platform/odbc/adodb.h"

namespace adodb {
inline void PrintTo(const Value& value, std::ostream* out) {
  switch (value.kind) {
    case Value::Kind::Null:
      *out << "NULL";
      break;
    case Value::Kind::Text:
      *out << '"' << value.text.toStdString() << '"';
      break;
    case Value::Kind::Binary:
      *out << "0x" << value.bytes.toHex().toStdString();
      break;
  }
}
}  // namespace adodb
