// A login's encryption as the Windows driver "SQL Server" takes it: its own keywords, the
// server's certificate checked against the Windows certificate store, and a refusal explained
// in the driver's own words.

#include "platform/odbc/login_encryption.h"

namespace login_encryption {

void PrepareProgram() {}

QString ServerAttribute(const Login& login) {
  return QStringLiteral("Server=") + login.serverValue;
}

QString EncryptionAttributes(const Login& login) {
  switch (login.mode) {
    case Mode::Require:
      return QStringLiteral("Encrypt=yes;TrustServerCertificate=yes;");
    case Mode::Verify:
      return QStringLiteral("Encrypt=yes;TrustServerCertificate=no;");
    case Mode::Request:
      break;
  }
  return {};
}

void Prepare(const Login& login) {
  if (login.mode != Mode::Verify) return;
  if (const std::optional<QString> problem = CaFileProblem(login.caFile)) {
    throw UnusableEncryption(*problem);
  }
}

// The Windows driver trusts the authorities of the Windows certificate store alone.
std::optional<QString> CaFileProblem(const QString& caFile) {
  if (caFile.isEmpty()) return std::nullopt;
  return QStringLiteral(
             "The driver \"SQL Server\" of Windows checks the server's certificate against the "
             "Windows certificate store and takes no CA file (%1). Please add the certificate "
             "authority to the store (double-click the file, Install Certificate, Trusted Root "
             "Certification Authorities; or certutil -user -addstore Root FILE) and choose "
             "verify: the system's CAs.")
      .arg(caFile);
}

std::optional<QString> RefusalReason(const Login&) {
  return std::nullopt;
}

}  // namespace login_encryption
