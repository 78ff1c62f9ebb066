#pragma once

// How a login asks this system's ODBC driver "SQL Server" for encryption, and why the driver
// refused a login for it. A login goes one way down: its words in the connection string
// (ServerAttribute, EncryptionAttributes), what must be ready before it opens (Prepare), the
// open, and only after a refusal the reason (RefusalReason). On Linux the driver is FreeTDS: a
// login that verifies the certificate is named by a section of the program's own FreeTDS
// configuration, and a refusal is explained by asking the server for its certificates
// (platform/freetds/). On Windows the driver takes its own keywords and checks certificates
// against the Windows certificate store, which explains itself.

#include <QString>
#include <optional>

#include "platform/error.h"
#include "platform/odbc/adodb.h"

namespace login_encryption {

// request: encrypted when the server offers it, the certificate unchecked; require: a server
// that does not encrypt is refused, the certificate unchecked; verify: as require, and the
// certificate must lead to a trusted authority and be made out to the server's name.
enum class Mode { Request, Require, Verify };

// Once at the start of the program, before any other thread runs: what the driver must know
// for the whole run (FreeTDS: the program's own configuration file and the protocol's version).
void PrepareProgram();

// "request", "require" or "verify".
QString ModeWord(Mode mode);

// Where the driver goes: the server text (and port) as the driver reads it, "host\instance" or
// "host,port".
struct Server {
  QString host;
  quint16 port = 0;  // 0: none given
  QString instance;
};

struct Login {
  QString serverValue;  // the value of the connection string's Server attribute, as it stands
  Server server;
  Mode mode = Mode::Request;
  QString caFile;  // absolute; empty: the system's authorities
};

// The attribute that names the server ("Server=host,port", or the section of a FreeTDS login
// that verifies), without its ';'.
QString ServerAttribute(const Login& login);
// The attributes that ask for the login's encryption, each ending in ';'; empty for none.
QString EncryptionAttributes(const Login& login);

// What the login needs before it opens (FreeTDS: its section of the configuration). Throws
// UnusableEncryption when the login cannot be tried as it stands.
void Prepare(const Login& login);

// Why a CA file cannot be trusted for a login that verifies; none when it can.
std::optional<QString> CaFileProblem(const QString& caFile);

// Why the driver refused a login that requires encryption, without a word of the server's own
// (no refused password, no missing database): in words for the user, with what to do; none when
// the encryption is not what refused it, or when that cannot be told.
std::optional<QString> RefusalReason(const Login& login);

// A login refused for its encryption: the server does not encrypt, or its certificate is not
// trusted or not made out to the server's name. The description says which, why and what to do;
// the SQLSTATE and native code are the driver's.
class EncryptionRefused : public adodb::Error {
 public:
  EncryptionRefused(const QString& why, const adodb::Error& driverError)
      : adodb::Error(why, driverError.SqlState(), driverError.NativeCode()) {}
};

// A login that verifies and cannot be tried as it stands: its CA file cannot be read or used, or
// its server or CA file cannot be given to the driver.
class UnusableEncryption : public platform::Error {
 public:
  using platform::Error::Error;
};

// A description as the first words of a sentence ("The server's ...").
QString AsSentence(const QString& description);

}  // namespace login_encryption
