#pragma once

// Why a login that requires encryption was refused, found out by the program itself: the driver
// says only "Adaptive Server connection failed". The server is asked for its pre-login answer
// and its certificates (server_tls.h), which sends no login, and the certificates are
// checked as the driver checks them (certificate_check.h).

#include <QString>
#include <chrono>
#include <functional>
#include <optional>

#include "platform/freetds/certificate_check.h"
#include "platform/freetds/server_tls.h"
#include "platform/odbc/login_encryption.h"

namespace login_encryption {

// The reason, in words for the user with what to do, when the encryption is what refused the
// login; none when the server shows nothing wrong with it (or does not answer at all).
std::optional<QString> EncryptionRefusal(const Login& login);

// The words for one finding.
QString NotEncryptingText(Mode mode);
QString CertificateRefusalText(const certificate_check::Verdict& verdict, const QString& caFile,
                               const QString& host);

// For tests: who answers in place of the server.
using ServerAsker =
    std::function<server_tls::Answer(const QString& host, quint16 port, const QString& instance)>;
void SetServerAsker(ServerAsker asker);

}  // namespace login_encryption
