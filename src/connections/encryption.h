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
#include "platform/odbc/adodb.h"
#include "platform/odbc/login_encryption.h"

using Encryption = login_encryption::Mode;
using ServerParts = login_encryption::Server;
using login_encryption::EncryptionRefused;
using login_encryption::UnusableEncryption;

// The login's setting: empty or "request" is request; a word the program does not know is read
// as verify, the strictest, so that no setting is ever weakened by reading it.
Encryption EncryptionOf(const ConnectionProfile& profile);

// "request", "require" or "verify", and back; none for another word.
QString EncryptionWord(Encryption encryption);
std::optional<Encryption> ParseEncryption(const QString& word);

// Where the driver goes for a login: its server text (and port) read as the driver reads them,
// "host\instance" or "host,port".
ServerParts ServerOf(const ConnectionProfile& profile);

// The CA file a verifying login trusts, as an absolute path; empty for the system's store.
QString CaFileOf(const ConnectionProfile& profile);

// The login as the platform's driver takes its encryption.
login_encryption::Login EncryptedLoginOf(const ConnectionProfile& profile);

// Opens `connection` with the login: what the login's encryption needs is made ready first
// (UnusableEncryption when it cannot be), and the login's time-outs, where it has them, bound
// the login and every statement after it. When a login that requires encryption is refused
// without a word of the server (no refused password, no missing database), the platform tells
// whether its encryption refused it: that throws EncryptionRefused; any other failure is thrown
// as the driver told it.
void OpenLogin(adodb::Connection& connection, const ConnectionProfile& profile);

// The refused-for-encryption reason as the first words of a sentence ("The server's ...").
using login_encryption::AsSentence;
