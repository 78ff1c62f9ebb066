#pragma once

// Texts across the driver boundary: SQLWCHAR is UTF-16, the same units as QString's.

#include "platform/odbc/odbc_api.h"

#include <QString>
#include <algorithm>

namespace adodb::odbc {

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "SQLWCHAR must be a UTF-16 unit");

// The text as the wide calls take it, terminated by a zero unit; valid while `text` lives.
inline SQLWCHAR* ToWide(const QString& text) {
  return const_cast<SQLWCHAR*>(reinterpret_cast<const SQLWCHAR*>(text.utf16()));
}

// Unit for unit: a leading U+FEFF is a character of the text, not a byte order mark to drop.
inline QString FromWide(const SQLWCHAR* text, qsizetype length) {
  static_assert(sizeof(SQLWCHAR) == sizeof(QChar));
  return QString(reinterpret_cast<const QChar*>(text), length);
}

// A zero-terminated wide text.
inline QString FromWide(const SQLWCHAR* text) {
  qsizetype length = 0;
  while (text[length] != 0) ++length;
  return FromWide(text, length);
}

// A text the driver wrote into a buffer of `capacity` units, with the length it reported. For a
// driver without wide entry points the driver manager reports the length of the driver's own
// multi-byte text, which can be longer than the wide text: the terminating zero ends it.
inline QString FromWideBuffer(const SQLWCHAR* buffer, qsizetype reported, qsizetype capacity) {
  const qsizetype limit = std::clamp<qsizetype>(reported, 0, capacity - 1);
  qsizetype length = 0;
  while (length < limit && buffer[length] != 0) ++length;
  return FromWide(buffer, length);
}

}  // namespace adodb::odbc
