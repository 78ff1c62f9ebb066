// A login's encryption as FreeTDS takes it. FreeTDS checks a certificate only for a login named
// by a section of a configuration file ("ca file", "check certificate hostname") and ignores such
// keys in a connection string: a login that verifies is named by its section of the program's
// own configuration (freetds_config.h); one that requires encryption says
// "Encryption=require;". A refusal is explained by asking the server for its certificates
// (encryption_refusal.h).

#include <QCryptographicHash>
#include <QStringList>

#include "platform/freetds/certificate_check.h"
#include "platform/freetds/encryption_refusal.h"
#include "platform/freetds/freetds_config.h"
#include "platform/freetds/protocol_version.h"
#include "platform/odbc/login_encryption.h"

namespace login_encryption {
namespace {

// The keys the login's section sets itself, whatever the system's files say.
const QStringList kOwnKeys = {
    QStringLiteral("host"),     QStringLiteral("port"),
    QStringLiteral("instance"), QStringLiteral("encryption"),
    QStringLiteral("ca file"),  QStringLiteral("check certificate hostname")};

QString Unwritable(const QString& what, const QString& value) {
  return QStringLiteral(
             "The %1 of this login, '%2', cannot be written into the FreeTDS configuration that "
             "a login verifying the server's certificate needs (it holds ';', '#', a line break "
             "or two blanks together, or is very long). Please change the %1.")
      .arg(what, value);
}

// The name of a verifying login's section: the same for the same server, port, instance and CA
// file.
QString SectionName(const Login& login) {
  const QByteArray key = (QStringList{login.server.host, QString::number(login.server.port),
                                      login.server.instance, login.caFile})
                             .join(u'\n')
                             .toUtf8();
  return QStringLiteral("ombrelia-") +
         QString::fromLatin1(
             QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(16));
}

// The login's section: the system's settings first, then the login's own.
QList<freetds_config::Setting> Section(const Login& login) {
  if (!freetds_config::Writable(login.server.host)) {
    throw UnusableEncryption(Unwritable("Server", login.server.host));
  }
  if (!login.caFile.isEmpty() && !freetds_config::Writable(login.caFile)) {
    throw UnusableEncryption(Unwritable("CA file", login.caFile));
  }
  QList<freetds_config::Setting> settings;
  for (const freetds_config::Setting& setting : freetds_config::SystemSettings()) {
    if (!kOwnKeys.contains(setting.key)) settings.append(setting);
  }
  const Server& server = login.server;
  settings.append({QStringLiteral("host"), server.host});
  if (server.port > 0) settings.append({QStringLiteral("port"), QString::number(server.port)});
  if (!server.instance.isEmpty()) settings.append({QStringLiteral("instance"), server.instance});
  settings.append({QStringLiteral("encryption"), QStringLiteral("require")});
  settings.append({QStringLiteral("ca file"),
                   login.caFile.isEmpty() ? QStringLiteral("system") : login.caFile});
  settings.append({QStringLiteral("check certificate hostname"), QStringLiteral("yes")});
  return settings;
}

}  // namespace

void PrepareProgram() {
  freetds_config::Prepare();
  freetds_protocol::NameVersion();
}

QString ServerAttribute(const Login& login) {
  if (login.mode == Mode::Verify) return QStringLiteral("Servername=") + SectionName(login);
  return QStringLiteral("Server=") + login.serverValue;
}

QString EncryptionAttributes(const Login& login) {
  return login.mode == Mode::Require ? QStringLiteral("Encryption=require;") : QString();
}

void Prepare(const Login& login) {
  if (login.mode != Mode::Verify) return;
  // A CA file that cannot be used would only make the driver fail without saying why.
  if (const std::optional<QString> problem = CaFileProblem(login.caFile)) {
    throw UnusableEncryption(AsSentence(*problem) +
                             QStringLiteral(". Please name the PEM file of the certificate "
                                            "authority that issued the server's certificate."));
  }
  freetds_config::WriteSection(SectionName(login), Section(login));
}

std::optional<QString> CaFileProblem(const QString& caFile) {
  if (caFile.isEmpty()) return std::nullopt;
  try {
    certificate_check::CountAuthorities(caFile);
  } catch (const platform::Error& error) {
    return error.Description();
  }
  return std::nullopt;
}

std::optional<QString> RefusalReason(const Login& login) {
  return EncryptionRefusal(login);
}

}  // namespace login_encryption
