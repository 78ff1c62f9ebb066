#include "support/fake_sql_reader.h"

#include <QSet>

#include "support/fake_errors.h"

namespace fake {
namespace {

// Words SQL Server reserves that a bare name in the program's statements could run into.
bool IsReservedWord(const QString& word) {
  static const QSet<QString> reserved = {
      "ADD",    "ALL",     "AND",     "AS",     "BY",    "CHECK", "COLUMN", "CREATE", "DEFAULT",
      "DELETE", "DROP",    "EXISTS",  "FROM",   "GROUP", "IF",    "IN",     "INDEX",  "INSERT",
      "INTO",   "IS",      "JOIN",    "KEY",    "LEFT",  "NOT",   "NULL",   "ON",     "OR",
      "ORDER",  "RIGHT",   "SELECT",  "SET",    "TABLE", "UNION", "UPDATE", "USER",   "VALUES",
      "WHERE",  "PRIMARY", "PERCENT", "PUBLIC", "SCHEMA"};
  return reserved.contains(word.toUpper());
}

bool SameToken(const Token& a, const Token& b) {
  return a.kind == b.kind && a.value.compare(b.value, Qt::CaseInsensitive) == 0;
}

QByteArray HexBytes(const QString& digits) {
  const QString even = digits.size() % 2 ? QLatin1Char('0') + digits : digits;
  return QByteArray::fromHex(even.toLatin1());
}

}  // namespace

SqlReader::SqlReader(const QString& statement) : tokens_(Tokenize(statement)) {}

const Token& SqlReader::Peek(size_t ahead) const {
  return tokens_[std::min(next_ + ahead, tokens_.size() - 1)];
}

const Token& SqlReader::Take() {
  const Token& token = Peek();
  if (token.kind == Token::Kind::End || token.kind == Token::Kind::Unclosed) FailHere();
  ++next_;
  return token;
}

bool SqlReader::NextIs(const QString& pattern) const {
  const std::vector<Token> wanted = Tokenize(pattern);
  for (size_t i = 0; i + 1 < wanted.size(); ++i) {
    if (!SameToken(Peek(i), wanted[i])) return false;
  }
  return true;
}

void SqlReader::Expect(const QString& pattern) {
  const std::vector<Token> wanted = Tokenize(pattern);
  for (size_t i = 0; i + 1 < wanted.size(); ++i) {
    if (!SameToken(Peek(), wanted[i])) FailHere();
    Take();
  }
}

bool SqlReader::Accept(const QString& pattern) {
  if (!NextIs(pattern)) return false;
  Expect(pattern);
  return true;
}

QString SqlReader::TakeName() {
  const Token& token = Peek();
  if (token.kind == Token::Kind::Word && IsReservedWord(token.value)) {
    throw SyntaxErrorNearKeyword(token.raw);
  }
  if (token.kind != Token::Kind::Word && token.kind != Token::Kind::Bracketed) FailHere();
  return Take().value;
}

QString SqlReader::TakeString() {
  const Token& token = Peek();
  if (token.kind != Token::Kind::String && token.kind != Token::Kind::NString) FailHere();
  return Take().value;
}

adodb::Value SqlReader::TakeLiteral() {
  const Token& token = Peek();
  switch (token.kind) {
    case Token::Kind::String:
    case Token::Kind::NString:
    case Token::Kind::Number:
      return adodb::Value::Text(Take().value);
    case Token::Kind::Hex:
      return adodb::Value::Binary(HexBytes(Take().value));
    case Token::Kind::Word:
      if (token.value.compare(QLatin1String("NULL"), Qt::CaseInsensitive) == 0) {
        Take();
        return adodb::Value::Null();
      }
      break;
    default:
      break;
  }
  FailHere();
}

void SqlReader::ExpectEnd() {
  Accept(QStringLiteral(";"));
  if (Peek().kind != Token::Kind::End) FailHere();
}

void SqlReader::FailHere() const {
  const Token& token = Peek();
  if (token.kind == Token::Kind::Unclosed) throw UnclosedQuotation(token.value);
  if (token.kind != Token::Kind::End) throw SyntaxErrorNear(token.raw);
  throw SyntaxErrorNear(next_ > 0 ? tokens_[next_ - 1].raw : QString());
}

}  // namespace fake
