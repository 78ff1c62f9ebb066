#pragma once

// Every statement the program sends, told as it ends: its text, how long it took and, when it
// failed, the driver's SQLSTATE. The command line's --verbose writes them; a run also learns
// from them that a statement ran out of time. Connections made while a log is set are watched;
// those made before are not.

#include <QString>
#include <functional>

namespace adodb {

struct SentStatement {
  QString text;  // as sent, values of rows included
  qint64 elapsedMs = 0;
  QString failedState;  // empty when the statement ran
};

using StatementLog = std::function<void(const SentStatement&)>;

// Called from whichever thread sends the statement; an empty log watches nothing.
void SetStatementLog(StatementLog log);

// Whether a SQLSTATE says the statement or the login ran out of time.
bool IsTimeout(const QString& sqlState);

}  // namespace adodb
