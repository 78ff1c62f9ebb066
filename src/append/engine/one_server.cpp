// Whether both logins reach one server instance, as the servers prove it. Names prove nothing:
// copies of one machine, or containers of one host name, answer one @@SERVERNAME, and two hosts
// may serve one port. The source's session marks itself with a random value that only sessions
// of its own instance can see; the target's session looks for it. Where the proof cannot be had
// (a login that may see only its own session, a server without the view), the answer is no, and
// the rows take the way that is right on any two servers.

#include <QUuid>

#include "append/engine/append_engine.h"
#include "jobs/worker.h"

namespace append {
namespace {

QString MarkStatement(const QString& mark) {
  return QStringLiteral("SET CONTEXT_INFO 0x") + mark;
}

// The mark is the first sixteen of CONTEXT_INFO's 128 bytes.
QString SeenStatement(const QString& mark) {
  return QStringLiteral(
             "SELECT COUNT(*) FROM sys.dm_exec_sessions WHERE CAST(context_info AS binary(16)) = "
             "0x") +
         mark;
}

}  // namespace

// Two servers that tell different names are two; a table read on the target's session under the
// source's database name was read by one session.
void AppendEngine::ProveOneServer() {
  const MSSQL::TableFacts& source = SourceFacts();
  const MSSQL::TableFacts& target = TargetFacts();
  // The very same login on both databases: the copy goes on one of its sessions, which reads
  // both tables, and needs no other proof.
  if (sourceDeferred_ || OneLoginServesBoth()) {
    oneServer_ = true;
  } else if (source.server.isEmpty() || source.server != target.server) {
    oneServer_ = false;
  } else {
    oneServer_ = TargetSeesTheSourcesMark();
  }
}

bool AppendEngine::TargetSeesTheSourcesMark() {
  const QString mark = QString::fromLatin1(QUuid::createUuid().toRfc4122().toHex());
  try {
    adodb::Connection& sourceSession = SourceConnection();
    adodb::Connection& targetSession = TargetConnection();
    return jobs::Wait([&] {
      sourceSession.ExecuteNoRecords(MarkStatement(mark));
      const std::unique_ptr<adodb::Recordset> seen = targetSession.Execute(SeenStatement(mark));
      return !seen->Eof() && seen->FieldValue(0).text.trimmed() == QLatin1String("1");
    });
  } catch (const adodb::Error&) {
    return false;
  }
}

}  // namespace append
