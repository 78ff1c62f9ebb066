#include "cli/login_failure.h"

#include "connections/encryption.h"
#include "platform/odbc/adodb.h"

namespace cli {
namespace {

// The server's error numbers: the database named by the login cannot be opened, does not
// exist; the login failed.
constexpr int kCannotOpenDatabase = 4060;
constexpr int kNoSuchDatabase = 911;
constexpr int kLoginFailed = 18456;

// The server as the connection string names it.
QString ServerTried(const ConnectionProfile& login) {
  return login.IsLocal() ? login.Server : login.Server + QLatin1Char(',') + login.Port;
}

// Told by the server's error number where it gives one, else by the SQLSTATE.
QString Reason(const adodb::Error& error) {
  const int code = error.NativeCode();
  if (code == kCannotOpenDatabase || code == kNoSuchDatabase) {
    return QStringLiteral("the database cannot be opened");
  }
  const QString& state = error.SqlState();
  if (code == kLoginFailed || state == QLatin1String("28000")) {
    return QStringLiteral("the login was refused");
  }
  if (state.startsWith(QLatin1String("08")) || state.startsWith(QLatin1String("HYT"))) {
    return QStringLiteral("the server did not answer");
  }
  return QString();
}

}  // namespace

QString LoginFailureWhat(const ConnectionProfile& login, int number, const platform::Error& error) {
  QString what = QStringLiteral("cannot open Database #%1, %2 on %3 as %4")
                     .arg(number)
                     .arg(login.Database, ServerTried(login), login.User);
  // A refusal for the encryption's sake says itself why.
  const auto* driverError = dynamic_cast<const adodb::Error*>(&error);
  const bool explained = dynamic_cast<const EncryptionRefused*>(&error) != nullptr;
  const QString reason = driverError && !explained ? Reason(*driverError) : QString();
  if (!reason.isEmpty()) what += QStringLiteral(": ") + reason;
  return what;
}

}  // namespace cli
