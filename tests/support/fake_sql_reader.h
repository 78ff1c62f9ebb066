#pragma once

// Reads one Transact-SQL statement token by token for the in-memory server. Keywords match
// without regard to letter case; [names] may hold "]]" for "]", '...' and N'...' literals
// may hold "''" for "'". Every mismatch raises the server's syntax error near the token found.

#include <QString>
#include <vector>

#include "platform/odbc/adodb.h"

namespace fake {

struct Token {
  enum class Kind { End, Word, Bracketed, String, NString, Hex, Number, Symbol, Unclosed };
  Kind kind = Kind::End;
  QString value;  // the name or literal without quotes and escapes; hex digits for Hex
  QString raw;    // the text as written
};

std::vector<Token> Tokenize(const QString& text);

class SqlReader {
 public:
  explicit SqlReader(const QString& statement);

  // True when the next tokens are those of `pattern` (for instance "SELECT * FROM").
  bool NextIs(const QString& pattern) const;
  void Expect(const QString& pattern);
  bool Accept(const QString& pattern);
  // A table or column name, bare or in brackets; a bare keyword is a syntax error.
  QString TakeName();
  // An N'...' or '...' literal's text.
  QString TakeString();
  // '...', N'...' or a number as text, NULL, or 0x... as binary.
  adodb::Value TakeLiteral();
  // The statement ends here (a closing ";" is allowed).
  void ExpectEnd();
  [[noreturn]] void FailHere() const;

 private:
  const Token& Peek(size_t ahead = 0) const;
  const Token& Take();

  std::vector<Token> tokens_;
  size_t next_ = 0;
};

}  // namespace fake
