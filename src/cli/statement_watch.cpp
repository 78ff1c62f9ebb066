#include "cli/statement_watch.h"

#include "cli/console.h"

namespace cli {
namespace {

// The rows' values stay out of what is written: an INSERT of values is told up to its VALUES.
QString WithoutValues(const QString& statement) {
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
