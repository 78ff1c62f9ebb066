#pragma once

// What a SQL Server shows of its encryption before anyone logs in: the TDS pre-login exchange
// and, when the server encrypts, the TLS handshake carried inside pre-login packets as the
// driver carries it, up to the server's certificates. No login is sent: no password leaves the
// program, whoever answers.

#include <QByteArray>
#include <QList>
#include <QString>
#include <chrono>
#include <optional>

namespace server_tls {

struct Answer {
  enum class Kind {
    NoAnswer,         // no TDS server answered (detail: why)
    NotEncrypting,    // the server does not encrypt
    HandshakeFailed,  // it encrypts, but no TLS session came about (detail: why)
    Certificates,     // the handshake showed its certificates
  };
  Kind kind = Kind::NoAnswer;
  QString detail;
  QList<QByteArray> chain;  // DER, the server's own certificate first
};

// Asks the server at `host`,`port` (the instance named, or the default one when empty),
// within `timeout`.
Answer Ask(const QString& host, quint16 port, const QString& instance,
           std::chrono::milliseconds timeout);

// The TCP port of a named instance, as the SQL Server Browser of `host` tells it.
std::optional<quint16> InstancePort(const QString& host, const QString& instance,
                                    std::chrono::milliseconds timeout);

// The client's pre-login message (without the packet header): it asks for encryption.
QByteArray PreloginMessage(const QString& instance);

// The server's encryption choice in a pre-login answer's payload (0 off, 1 on, 2 not
// supported, 3 required); none when the payload holds no such option.
std::optional<quint8> EncryptionOf(const QByteArray& payload);

}  // namespace server_tls
