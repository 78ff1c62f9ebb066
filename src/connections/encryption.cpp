#include "connections/encryption.h"

#include <QFileInfo>

namespace {

// The server's own verdicts on a login: the login or the database refused. The encryption was
// settled before them.
constexpr int kServerVerdicts[] = {18456, 4060, 911};

bool ServerAnswered(const adodb::Error& error) {
  for (const int verdict : kServerVerdicts) {
    if (error.NativeCode() == verdict) return true;
  }
  return error.SqlState() == QLatin1String("28000") || error.SqlState() == QLatin1String("08004");
}

}  // namespace

Encryption EncryptionOf(const ConnectionProfile& profile) {
  if (profile.Encryption.isEmpty()) return Encryption::Request;
  return ParseEncryption(profile.Encryption.toLower()).value_or(Encryption::Verify);
}

QString EncryptionWord(Encryption encryption) {
  return login_encryption::ModeWord(encryption);
}

std::optional<Encryption> ParseEncryption(const QString& word) {
  for (const Encryption encryption :
       {Encryption::Request, Encryption::Require, Encryption::Verify}) {
    if (word == EncryptionWord(encryption)) return encryption;
  }
  return std::nullopt;
}

// As the driver reads its Server attribute: an instance after '\', else a port after ','.
ServerParts ServerOf(const ConnectionProfile& profile) {
  const QString value = profile.IsLocal() ? profile.Server : profile.Server + u',' + profile.Port;
  if (const qsizetype backslash = value.indexOf(u'\\'); backslash >= 0) {
    return {value.left(backslash), 0, value.mid(backslash + 1)};
  }
  const qsizetype comma = value.indexOf(u',');
  if (comma >= 0) {
    const int port = value.mid(comma + 1).toInt();
    if (port > 0 && port < 65536) return {value.left(comma), static_cast<quint16>(port), {}};
  }
  return {value, 0, {}};
}

QString CaFileOf(const ConnectionProfile& profile) {
  return profile.CaFile.isEmpty() ? QString() : QFileInfo(profile.CaFile).absoluteFilePath();
}

// The profile, its connection string and the platform's words for its encryption, one way down:
// ready, open, and only after a refusal the reason.
void OpenLogin(adodb::Connection& connection, const ConnectionProfile& profile) {
  const QString connectionString = BuildConnectionString(profile);
  const login_encryption::Login login = EncryptedLoginOf(profile);
  login_encryption::Prepare(login);
  if (profile.LoginTimeout > 0) connection.SetConnectionTimeout(profile.LoginTimeout);
  if (profile.QueryTimeout > 0) connection.SetCommandTimeout(profile.QueryTimeout);
  try {
    connection.Open(connectionString);
  } catch (const adodb::Error& error) {
    if (login.mode == Encryption::Request || ServerAnswered(error)) throw;
    if (std::optional<QString> why = login_encryption::RefusalReason(login)) {
      throw EncryptionRefused(*why, error);
    }
    throw;
  }
}
