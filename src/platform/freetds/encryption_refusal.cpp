#include "platform/freetds/encryption_refusal.h"

#include "platform/freetds/freetds_config.h"

namespace login_encryption {
namespace {

using namespace std::chrono_literals;

// The server answered the driver moments ago; a server that does not answer now is no finding.
constexpr std::chrono::milliseconds kPatience = 10s;
constexpr quint16 kDefaultPort = 1433;

ServerAsker& Asker() {
  static ServerAsker asker;
  return asker;
}

server_tls::Answer Ask(const QString& host, quint16 port, const QString& instance) {
  if (Asker()) return Asker()(host, port, instance);
  return server_tls::Ask(host, port, instance, kPatience);
}

// The port the driver went to: the login's, a named instance's as the server's browser tells
// it, or the configured or usual one.
std::optional<quint16> PortOf(const Server& server) {
  if (server.port > 0) return server.port;
  if (!server.instance.isEmpty())
    return server_tls::InstancePort(server.host, server.instance, kPatience);
  for (const freetds_config::Setting& setting : freetds_config::SystemSettings()) {
    if (setting.key == QLatin1String("port") && setting.value.toInt() > 0) {
      return static_cast<quint16>(setting.value.toInt());
    }
  }
  return kDefaultPort;
}

QString Named(const certificate_check::Certificate& certificate) {
  return QStringLiteral("the server's certificate \"%1\" (issued by \"%2\")")
      .arg(certificate.subject, certificate.issuer);
}

QString Day(const QDateTime& time) {
  return time.toUTC().toString(QStringLiteral("yyyy-MM-dd hh:mm 'UTC'"));
}

QString TrustProblem(const certificate_check::Verdict& verdict, const QString& caFile) {
  const QString certificate = Named(verdict.server);
  if (verdict.unknownAuthority && caFile.isEmpty()) {
    return certificate +
           QStringLiteral(
               " is not signed by a certificate authority this system trusts. If the server's "
               "certificates come from a private authority, name that authority's CA file for "
               "this login (or add it to the system's certificates); otherwise the server may "
               "not be the one it claims to be");
  }
  if (verdict.unknownAuthority) {
    return certificate +
           QStringLiteral(
               " is not signed by the certificate authority of the CA file %1. Name the CA file "
               "of the authority that issued it (the server's administrator has it); otherwise "
               "the server may not be the one it claims to be")
               .arg(caFile);
  }
  if (verdict.expired) {
    return certificate + QStringLiteral(" expired on %1. The server's administrator must renew it")
                             .arg(Day(verdict.server.notAfter));
  }
  if (verdict.notYetValid) {
    return certificate + QStringLiteral(" is valid only from %1. Check this computer's clock")
                             .arg(Day(verdict.server.notBefore));
  }
  return certificate + QStringLiteral(" is not trusted: ") + verdict.otherProblem;
}

QString NameProblem(const certificate_check::Verdict& verdict, const QString& host) {
  return QStringLiteral(
             "is made out to %1, not to %2, the server this login names. Connect by a name the "
             "certificate is made out to, or ask the server's administrator for a certificate "
             "made out to %2")
      .arg(verdict.server.names.join(QStringLiteral(", ")), host);
}

}  // namespace

QString NotEncryptingText(Mode mode) {
  return QStringLiteral(
             "the server does not encrypt its connections, and this login requires encryption "
             "(%1). Ask the server's administrator to turn encryption on, or set this login's "
             "encryption to request to connect without it.")
      .arg(ModeWord(mode));
}

QString CertificateRefusalText(const certificate_check::Verdict& verdict, const QString& caFile,
                               const QString& host) {
  if (verdict.trusted) return Named(verdict.server) + u' ' + NameProblem(verdict, host) + u'.';
  QString text = TrustProblem(verdict, caFile) + u'.';
  if (!verdict.nameMatches) text += QStringLiteral(" It also ") + NameProblem(verdict, host) + u'.';
  return text;
}

std::optional<QString> EncryptionRefusal(const Login& login) {
  const Server& server = login.server;
  const std::optional<quint16> port = PortOf(server);
  if (!port) return std::nullopt;
  const server_tls::Answer answer = Ask(server.host, *port, server.instance);
  switch (answer.kind) {
    case server_tls::Answer::Kind::NotEncrypting:
      return NotEncryptingText(login.mode);
    case server_tls::Answer::Kind::HandshakeFailed:
      return QStringLiteral("the encryption with the server could not be set up: %1.")
          .arg(answer.detail);
    case server_tls::Answer::Kind::Certificates:
      break;
    case server_tls::Answer::Kind::NoAnswer:
      return std::nullopt;
  }
  if (login.mode != Mode::Verify) return std::nullopt;
  const QString& caFile = login.caFile;
  const certificate_check::Verdict verdict =
      certificate_check::Check(answer.chain, caFile, server.host);
  if (verdict.trusted && verdict.nameMatches) return std::nullopt;
  return CertificateRefusalText(verdict, caFile, server.host);
}

void SetServerAsker(ServerAsker asker) {
  Asker() = std::move(asker);
}

}  // namespace login_encryption
