#pragma once

// How a login encrypts its connection:
// - request: encrypted when the server offers it, the certificate unchecked (the driver's own
//   way, and the default, so that stored logins and servers without TLS keep working);
// - require: a server that does not encrypt is refused; the certificate is unchecked;
// - verify: as require, and the server's certificate must lead to a trusted certificate
//   authority (the system's, or those of the login's CA file) and be made out to the name of the
//   server the login connects to.

#include <QString>
#include <optional>

#include "connections/connection_profile.h"
#include "platform/adodb.h"

enum class Encryption { Request, Require, Verify };

// The login's setting: empty or "request" is request; a word the program does not know is read
// as verify, the strictest, so that no setting is ever weakened by reading it.
Encryption EncryptionOf(const ConnectionProfile& profile);

// "request", "require" or "verify", and back; none for another word.
QString EncryptionWord(Encryption encryption);
std::optional<Encryption> ParseEncryption(const QString& word);

// Where the driver goes for a login: its server text (and port) read as the driver reads them,
// "host\instance" or "host,port".
struct ServerParts {
  QString host;
  quint16 port = 0;  // 0: none given
  QString instance;
};
ServerParts ServerOf(const ConnectionProfile& profile);

// The CA file a verifying login trusts, as an absolute path; empty for the system's store.
QString CaFileOf(const ConnectionProfile& profile);

// The name of a verifying login's section in the program's FreeTDS configuration: the same for
// the same server, port, instance and CA file.
QString VerifySectionName(const ConnectionProfile& profile);

// A login refused for its encryption: the server does not encrypt, or its certificate is not
// trusted or not made out to the server's name. The description says which, why and what to do;
// the SQLSTATE and native code are the driver's.
class EncryptionRefused : public adodb::Error {
 public:
  EncryptionRefused(const QString& why, const adodb::Error& driverError)
      : adodb::Error(why, driverError.SqlState(), driverError.NativeCode()) {}
};

// A verifying login that cannot be tried as it stands: its CA file cannot be read or holds no
// certificate, or its server or CA file cannot be written into FreeTDS's configuration.
class UnusableEncryption : public platform::Error {
 public:
  using platform::Error::Error;
};

// Opens `connection` with the login: a verifying login's section of the program's FreeTDS
// configuration is written first. When a login that requires encryption is refused without a
// word of the server (no refused password, no missing database), the server is asked what it
// shows of its encryption, and a refusal for the encryption's sake throws EncryptionRefused;
// any other failure is thrown as the driver told it.
void OpenLogin(adodb::Connection& connection, const ConnectionProfile& profile);

// The refused-for-encryption reason as the first words of a sentence ("The server's ...").
QString AsSentence(const QString& description);
