#include "append/engine/condition_fault.h"

namespace append {
namespace {

// The position after the quoted text or name that opens at `at` ('...', "..." or [...], the
// closing mark doubled inside); -1 when it is not closed.
qsizetype AfterQuoted(const QString& text, qsizetype at) {
  const QChar close = text[at] == u'[' ? QChar(u']') : text[at];
  for (qsizetype i = at + 1; i < text.size(); ++i) {
    if (text[i] != close) continue;
    if (i + 1 < text.size() && text[i + 1] == close) {
      ++i;
      continue;
    }
    return i + 1;
  }
  return -1;
}

// The position after the block comment that opens at `at`; comments nest, as the server reads
// them. -1 when it is not closed.
qsizetype AfterBlockComment(const QString& text, qsizetype at) {
  int depth = 0;
  for (qsizetype i = at; i + 1 < text.size(); ++i) {
    if (text[i] == u'/' && text[i + 1] == u'*') {
      ++depth;
      ++i;
    } else if (text[i] == u'*' && text[i + 1] == u'/') {
      ++i;
      if (--depth == 0) return i + 1;
    }
  }
  return -1;
}

}  // namespace

std::optional<QString> ConditionFault(const QString& condition) {
  int depth = 0;
  for (qsizetype i = 0; i < condition.size();) {
    const QChar at = condition[i];
    const QChar next = i + 1 < condition.size() ? condition[i + 1] : QChar();
    if (at == u'\'' || at == u'"' || at == u'[') {
      i = AfterQuoted(condition, i);
      if (i < 0) return QStringLiteral("a quoted text or name is not closed");
      continue;
    }
    if (at == u'-' && next == u'-') {
      const qsizetype end = condition.indexOf(u'\n', i);
      i = end < 0 ? condition.size() : end + 1;
      continue;
    }
    if (at == u'/' && next == u'*') {
      i = AfterBlockComment(condition, i);
      if (i < 0) return QStringLiteral("a comment is not closed");
      continue;
    }
    if (at == u';') return QStringLiteral("a ';' would end the statement");
    if (at == u'(') ++depth;
    if (at == u')' && --depth < 0) return QStringLiteral("a ')' closes a '(' it did not open");
    ++i;
  }
  if (depth > 0) return QStringLiteral("a '(' is not closed");
  return std::nullopt;
}

}  // namespace append
