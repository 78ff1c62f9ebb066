#include "support/fake_sql_reader.h"

namespace fake {
namespace {

bool IsWordStart(QChar c) {
  return c.isLetter() || c == u'_' || c == u'@' || c == u'#';
}
bool IsWordPart(QChar c) {
  return IsWordStart(c) || c.isDigit() || c == u'$';
}
bool IsHexDigit(QChar c) {
  return c.isDigit() || QStringLiteral("abcdefABCDEF").contains(c);
}

class Tokenizer {
 public:
  explicit Tokenizer(const QString& text) : text_(text) {}

  std::vector<Token> Run() {
    std::vector<Token> tokens;
    for (SkipBlanks(); pos_ < text_.size(); SkipBlanks()) {
      tokens.push_back(Next());
      if (tokens.back().kind == Token::Kind::Unclosed) break;
    }
    tokens.push_back({Token::Kind::End, {}, {}});
    return tokens;
  }

 private:
  QChar At(qsizetype i) const { return i < text_.size() ? text_[i] : QChar(); }

  // Blanks and comments, as the server skips them.
  void SkipBlanks() {
    for (;;) {
      while (pos_ < text_.size() && text_[pos_].isSpace()) ++pos_;
      if (At(pos_) == u'-' && At(pos_ + 1) == u'-') {
        const qsizetype end = text_.indexOf(u'\n', pos_);
        pos_ = end < 0 ? text_.size() : end + 1;
      } else if (At(pos_) == u'/' && At(pos_ + 1) == u'*') {
        const qsizetype end = text_.indexOf(QLatin1String("*/"), pos_ + 2);
        pos_ = end < 0 ? text_.size() : end + 2;
      } else {
        return;
      }
    }
  }

  Token Next() {
    const QChar c = text_[pos_];
    if (c == u'[') return Quoted(Token::Kind::Bracketed, pos_ + 1, u']');
    if (c == u'\'') return Quoted(Token::Kind::String, pos_ + 1, u'\'');
    if ((c == u'N' || c == u'n') && At(pos_ + 1) == u'\'') {
      return Quoted(Token::Kind::NString, pos_ + 2, u'\'');
    }
    if (c == u'0' && (At(pos_ + 1) == u'x' || At(pos_ + 1) == u'X')) return Hex();
    if (c.isDigit()) return Number();
    if (IsWordStart(c)) return Word();
    return Finish(Token::Kind::Symbol, pos_ + 1, QString(c));
  }

  // A quoted name or literal starting at `bodyStart`; a doubled closing quote stands for one.
  Token Quoted(Token::Kind kind, qsizetype bodyStart, QChar close) {
    QString value;
    for (qsizetype i = bodyStart; i < text_.size(); ++i) {
      if (text_[i] != close) {
        value += text_[i];
      } else if (At(i + 1) == close) {
        value += close;
        ++i;
      } else {
        return Finish(kind, i + 1, value);
      }
    }
    return Finish(Token::Kind::Unclosed, text_.size(), text_.mid(bodyStart));
  }

  Token Hex() {
    qsizetype end = pos_ + 2;
    while (end < text_.size() && IsHexDigit(text_[end])) ++end;
    return Finish(Token::Kind::Hex, end, text_.mid(pos_ + 2, end - pos_ - 2));
  }

  Token Number() {
    qsizetype end = pos_;
    while (end < text_.size() && (text_[end].isDigit() || text_[end] == u'.')) ++end;
    return Finish(Token::Kind::Number, end, text_.mid(pos_, end - pos_));
  }

  Token Word() {
    qsizetype end = pos_;
    while (end < text_.size() && IsWordPart(text_[end])) ++end;
    return Finish(Token::Kind::Word, end, text_.mid(pos_, end - pos_));
  }

  Token Finish(Token::Kind kind, qsizetype end, QString value) {
    Token token{kind, std::move(value), text_.mid(pos_, end - pos_)};
    pos_ = end;
    return token;
  }

  const QString& text_;
  qsizetype pos_ = 0;
};

}  // namespace

std::vector<Token> Tokenize(const QString& text) {
  return Tokenizer(text).Run();
}

}  // namespace fake
