#include "cli/statement_watch.h"

#include "cli/console.h"

namespace cli {
namespace {

const QLatin1String kKeyStart("/*key*/");
const QLatin1String kKeyEnd(")/*/key*/");

// Where the marked key that starts at `start` ends: its end mark outside the literals and the
// bracketed names (whose closing marks are doubled inside); the statement's end when it has none.
qsizetype KeyEnd(const QString& statement, qsizetype start) {
  QChar closing;  // of the literal or name the scan is in; none outside them
  for (qsizetype i = start + kKeyStart.size(); i < statement.size(); ++i) {
    const QChar at = statement[i];
    if (!closing.isNull()) {
      if (at == closing) closing = QChar();  // a doubled mark opens again at once
      continue;
    }
    if (at == u'\'' || at == u'[') {
      closing = at == u'[' ? QChar(u']') : at;
    } else if (QStringView(statement).mid(i).startsWith(kKeyEnd)) {
      return i + kKeyEnd.size();
    }
  }
  return statement.size();
}

// The key a resumed run goes on after is a row's values: each marked stretch of them is left
// out.
QString WithoutKeyValues(QString statement) {
  for (qsizetype start = statement.indexOf(kKeyStart); start >= 0;
       start = statement.indexOf(kKeyStart, start + 1)) {
    const qsizetype end = KeyEnd(statement, start);
    statement.replace(start, end - start, QStringLiteral("(after the key's values, left out)"));
  }
  return statement;
}

// The rows' values stay out of what is written: an INSERT of values is told up to its VALUES.
QString WithoutValues(const QString& sent) {
  const QString statement = WithoutKeyValues(sent);
  if (!statement.startsWith(QLatin1String("INSERT"), Qt::CaseInsensitive)) return statement;
  const qsizetype values = statement.indexOf(QLatin1String(" VALUES"), 0, Qt::CaseInsensitive);
  if (values < 0) return statement;
  return statement.left(values + 7) + QStringLiteral(" ...");
}

}  // namespace

StatementWatch::StatementWatch(bool verbose, std::FILE* err) : verbose_(verbose), err_(err) {
  adodb::SetStatementLog([this](const adodb::SentStatement& statement) { Sent(statement); });
}

StatementWatch::~StatementWatch() {
  adodb::SetStatementLog({});
}

void StatementWatch::Sent(const adodb::SentStatement& statement) {
  if (adodb::IsTimeout(statement.failedState)) ++timeouts_;
  if (!verbose_) return;
  QString line = QStringLiteral("ombrelia: %1 ms: ").arg(statement.elapsedMs);
  if (!statement.failedState.isEmpty()) {
    line += QStringLiteral("failed (%1): ").arg(statement.failedState);
  }
  line += OneLine(WithoutValues(statement.text)) + QLatin1Char('\n');
  const std::lock_guard lock(writing_);
  std::fputs(line.toUtf8().constData(), err_);
  std::fflush(err_);
}

}  // namespace cli
