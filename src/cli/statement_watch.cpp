#include "cli/statement_watch.h"

#include "cli/console.h"

namespace cli {

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
  line += OneLine(statement.text) + QLatin1Char('\n');
  const std::lock_guard lock(writing_);
  std::fputs(line.toLocal8Bit().constData(), err_);
  std::fflush(err_);
}

}  // namespace cli
