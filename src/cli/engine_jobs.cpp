#include "cli/engine_jobs.h"

namespace cli {
namespace {

// The engines report through the window's page and lists today; until they report through an
// interface of their own, the command line cannot run them without a window.
int NotYetWithoutWindow(const QString& job, JobTerminal& terminal) {
  terminal.console.Message(QStringLiteral("The %1 runs in the wizard only in this version; start "
                                          "ombrelia without arguments.")
                               .arg(job));
  return kWrongUsage;
}

}  // namespace

int RunJoin(const JoinJob&, JobTerminal& terminal) {
  return NotYetWithoutWindow(QStringLiteral("join"), terminal);
}

int RunAppend(const AppendJob&, JobTerminal& terminal) {
  return NotYetWithoutWindow(QStringLiteral("append"), terminal);
}

int ExitCodeOf(const TerminalDialogs& dialogs) {
  return dialogs.SaidDone() && dialogs.Reports() == 0 && !dialogs.Declined() ? kDone : kRefused;
}

}  // namespace cli
