#include "connections/encryption.h"

#include <QCryptographicHash>
#include <QFileInfo>

#include "connections/encryption_refusal.h"
#include "platform/certificate_check.h"
#include "platform/freetds_config.h"

namespace {

// The server's own verdicts on a login: the login or the database refused. The encryption was
// settled before them.
constexpr int kServerVerdicts[] = {18456, 4060, 911};

// The keys the login's section sets itself, whatever the system's files say.
const QStringList kOwnKeys = {
    QStringLiteral("host"),     QStringLiteral("port"),
    QStringLiteral("instance"), QStringLiteral("encryption"),
    QStringLiteral("ca file"),  QStringLiteral("check certificate hostname")};

bool ServerAnswered(const adodb::Error& error) {
  for (const int verdict : kServerVerdicts) {
    if (error.NativeCode() == verdict) return true;
  }
  return error.SqlState() == QLatin1String("28000") || error.SqlState() == QLatin1String("08004");
}

QString Unwritable(const QString& what, const QString& value) {
  return QStringLiteral(
             "The %1 of this login, '%2', cannot be written into the FreeTDS configuration that "
             "a login verifying the server's certificate needs (it holds ';', '#', a line break "
             "or two blanks together, or is very long). Please change the %1.")
      .arg(what, value);
}

// The login's section: the system's settings first, then the login's own.
QList<freetds_config::Setting> VerifySection(const ConnectionProfile& profile) {
  const ServerParts server = ServerOf(profile);
  const QString caFile = CaFileOf(profile);
  if (!freetds_config::Writable(server.host))
    throw UnusableEncryption(Unwritable("Server", server.host));
  if (!caFile.isEmpty() && !freetds_config::Writable(caFile)) {
    throw UnusableEncryption(Unwritable("CA file", caFile));
  }
  QList<freetds_config::Setting> settings;
  for (const freetds_config::Setting& setting : freetds_config::SystemSettings()) {
    if (!kOwnKeys.contains(setting.key)) settings.append(setting);
  }
  settings.append({QStringLiteral("host"), server.host});
  if (server.port > 0) settings.append({QStringLiteral("port"), QString::number(server.port)});
  if (!server.instance.isEmpty()) settings.append({QStringLiteral("instance"), server.instance});
  settings.append({QStringLiteral("encryption"), QStringLiteral("require")});
  settings.append(
      {QStringLiteral("ca file"), caFile.isEmpty() ? QStringLiteral("system") : caFile});
  settings.append({QStringLiteral("check certificate hostname"), QStringLiteral("yes")});
  return settings;
}

// A CA file that cannot be used would only make the driver fail without saying why.
void CheckCaFile(const QString& caFile) {
  if (caFile.isEmpty()) return;
  try {
    certificate_check::CountAuthorities(caFile);
  } catch (const platform::Error& error) {
    throw UnusableEncryption(AsSentence(error.Description()) +
                             QStringLiteral(". Please name the PEM file of the certificate "
                                            "authority that issued the server's certificate."));
  }
}

}  // namespace

Encryption EncryptionOf(const ConnectionProfile& profile) {
  if (profile.Encryption.isEmpty()) return Encryption::Request;
  return ParseEncryption(profile.Encryption.toLower()).value_or(Encryption::Verify);
}

QString EncryptionWord(Encryption encryption) {
  switch (encryption) {
    case Encryption::Require:
      return QStringLiteral("require");
    case Encryption::Verify:
      return QStringLiteral("verify");
    case Encryption::Request:
      break;
  }
  return QStringLiteral("request");
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

QString VerifySectionName(const ConnectionProfile& profile) {
  const ServerParts server = ServerOf(profile);
  const QByteArray key =
      (QStringList{server.host, QString::number(server.port), server.instance, CaFileOf(profile)})
          .join(u'\n')
          .toUtf8();
  return QStringLiteral("ombrelia-") +
         QString::fromLatin1(
             QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(16));
}

void OpenLogin(adodb::Connection& connection, const ConnectionProfile& profile) {
  const QString connectionString = BuildConnectionString(profile);
  const Encryption encryption = EncryptionOf(profile);
  if (encryption == Encryption::Verify) {
    CheckCaFile(CaFileOf(profile));
    freetds_config::WriteSection(VerifySectionName(profile), VerifySection(profile));
  }
  try {
    connection.Open(connectionString);
  } catch (const adodb::Error& error) {
    if (encryption == Encryption::Request || ServerAnswered(error)) throw;
    if (std::optional<QString> why = EncryptionRefusal(profile, encryption)) {
      throw EncryptionRefused(*why, error);
    }
    throw;
  }
}

QString AsSentence(const QString& description) {
  if (description.isEmpty()) return description;
  return description.front().toUpper() + description.mid(1);
}
