#include "support/fake_connection_string.h"

namespace fake {
namespace {

// Reads "{...}" starting at `pos` (on the "{"); leaves `pos` after the closing brace.
QString BracedValue(const QString& text, qsizetype& pos) {
  QString value;
  for (++pos; pos < text.size(); ++pos) {
    if (text[pos] != u'}') {
      value += text[pos];
    } else if (pos + 1 < text.size() && text[pos + 1] == u'}') {
      value += u'}';
      ++pos;
    } else {
      ++pos;
      break;
    }
  }
  return value;
}

QString PlainValue(const QString& text, qsizetype& pos) {
  const qsizetype end = text.indexOf(u';', pos);
  const qsizetype stop = end < 0 ? text.size() : end;
  const QString value = text.mid(pos, stop - pos).trimmed();
  pos = stop;
  return value;
}

void SkipPastSemicolon(const QString& text, qsizetype& pos) {
  const qsizetype end = text.indexOf(u';', pos);
  pos = end < 0 ? text.size() : end + 1;
}

}  // namespace

QString ConnectionStringValue(const QString& connectionString, const QString& key) {
  const QString& text = connectionString;
  qsizetype pos = 0;
  while (pos < text.size()) {
    const qsizetype equals = text.indexOf(u'=', pos);
    if (equals < 0) break;
    const QString name = text.mid(pos, equals - pos).trimmed();
    pos = equals + 1;
    while (pos < text.size() && text[pos] == u' ') ++pos;
    const bool braced = pos < text.size() && text[pos] == u'{';
    const QString value = braced ? BracedValue(text, pos) : PlainValue(text, pos);
    SkipPastSemicolon(text, pos);
    if (name.compare(key, Qt::CaseInsensitive) == 0) return value;
  }
  return {};
}

}  // namespace fake
