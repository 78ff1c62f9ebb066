#include "platform/freetds/server_tls.h"

#include <gnutls/gnutls.h>

#include <QHostInfo>
#include <QTcpSocket>
#include <QUdpSocket>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

namespace server_tls {
namespace {

using Clock = std::chrono::steady_clock;

constexpr quint8 kPreloginType = 0x12;
constexpr quint8 kEndOfMessage = 0x01;
constexpr qsizetype kHeaderSize = 8;
constexpr qsizetype kLargestPayload = 4096 - kHeaderSize;
constexpr quint8 kEncryptionOption = 0x01;
constexpr quint8 kEncryptOn = 0x01;
constexpr quint8 kEncryptNotSupported = 0x02;
constexpr quint8 kLastOption = 0xFF;
constexpr quint16 kBrowserPort = 1434;
// The driver's own choice of TLS versions and ciphers, so that the handshake is the one it makes.
constexpr char kDriverPriority[] = "NORMAL:%COMPAT:-VERS-SSL3.0";

void AppendBigEndian16(QByteArray& bytes, qsizetype value) {
  bytes.append(static_cast<char>((value >> 8) & 0xFF));
  bytes.append(static_cast<char>(value & 0xFF));
}

quint16 BigEndian16(const QByteArray& bytes, qsizetype at) {
  return static_cast<quint16>((static_cast<quint8>(bytes[at]) << 8) |
                              static_cast<quint8>(bytes[at + 1]));
}

// The TCP connection to the server, each wait bounded by one deadline for the whole exchange.
class Link {
 public:
  Link(QTcpSocket& socket, Clock::time_point deadline) : socket_(socket), deadline_(deadline) {}

  int Left() const {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - Clock::now());
    return static_cast<int>(std::max<qint64>(0, left.count()));
  }

  QTcpSocket& Socket() { return socket_; }
  const QString& Problem() const { return problem_; }

  // One message in as many packets as it needs, the last one marked as the end.
  bool Send(const QByteArray& message) {
    for (qsizetype at = 0; at < message.size() || at == 0; at += kLargestPayload) {
      const QByteArray part = message.mid(at, kLargestPayload);
      const bool last = at + kLargestPayload >= message.size();
      QByteArray packet;
      packet.append(static_cast<char>(kPreloginType));
      packet.append(static_cast<char>(last ? kEndOfMessage : 0));
      AppendBigEndian16(packet, kHeaderSize + part.size());
      packet.append(QByteArray(2, '\0'));
      packet.append(static_cast<char>(++packetNumber_));
      packet.append('\0');
      packet.append(part);
      if (socket_.write(packet) != packet.size()) return Failed();
    }
    while (socket_.bytesToWrite() > 0) {
      if (!socket_.waitForBytesWritten(Left())) return Failed();
    }
    return true;
  }

  // The payload of the next packet, and whether it ends its message.
  std::optional<QByteArray> ReceivePacket(bool* last = nullptr) {
    const std::optional<QByteArray> header = Read(kHeaderSize);
    if (!header) return std::nullopt;
    const qsizetype size = BigEndian16(*header, 2);
    if (size < kHeaderSize) {
      problem_ = QStringLiteral("the answer is not a TDS packet");
      return std::nullopt;
    }
    if (last) *last = (static_cast<quint8>((*header)[1]) & kEndOfMessage) != 0;
    return Read(size - kHeaderSize);
  }

  std::optional<QByteArray> ReceiveMessage() {
    QByteArray message;
    for (bool last = false; !last;) {
      const std::optional<QByteArray> payload = ReceivePacket(&last);
      if (!payload) return std::nullopt;
      message += *payload;
    }
    return message;
  }

 private:
  std::optional<QByteArray> Read(qsizetype size) {
    QByteArray bytes;
    while (bytes.size() < size) {
      if (socket_.bytesAvailable() == 0 && !socket_.waitForReadyRead(Left())) {
        Failed();
        return std::nullopt;
      }
      bytes += socket_.read(size - bytes.size());
    }
    return bytes;
  }

  bool Failed() {
    if (problem_.isEmpty()) problem_ = socket_.errorString();
    return false;
  }

  QTcpSocket& socket_;
  Clock::time_point deadline_;
  quint8 packetNumber_ = 0;
  QString problem_;
};

// The TLS records go out inside pre-login packets, one message for what the client has to say
// before it waits for the server, and come in from the server's packets.
struct Tunnel {
  Link& link;
  gnutls_session_t session = nullptr;
  QByteArray out = {};
  QByteArray in = {};

  bool Flush() {
    if (out.isEmpty()) return true;
    const bool sent = link.Send(out);
    out.clear();
    return sent;
  }
};

ssize_t Push(gnutls_transport_ptr_t pointer, const void* data, size_t size) {
  static_cast<Tunnel*>(pointer)->out.append(static_cast<const char*>(data),
                                            static_cast<qsizetype>(size));
  return static_cast<ssize_t>(size);
}

ssize_t Pull(gnutls_transport_ptr_t pointer, void* data, size_t size) {
  Tunnel& tunnel = *static_cast<Tunnel*>(pointer);
  if (tunnel.in.isEmpty()) {
    std::optional<QByteArray> payload;
    if (tunnel.Flush()) payload = tunnel.link.ReceivePacket();
    if (!payload) {
      gnutls_transport_set_errno(tunnel.session, EIO);
      return -1;
    }
    tunnel.in = *payload;
  }
  const qsizetype taken = std::min<qsizetype>(static_cast<qsizetype>(size), tunnel.in.size());
  std::memcpy(data, tunnel.in.constData(), static_cast<size_t>(taken));
  tunnel.in.remove(0, taken);
  return taken;
}

int PullTimeout(gnutls_transport_ptr_t pointer, unsigned int milliseconds) {
  Tunnel& tunnel = *static_cast<Tunnel*>(pointer);
  QTcpSocket& socket = tunnel.link.Socket();
  if (!tunnel.in.isEmpty() || socket.bytesAvailable() > 0) return 1;
  if (!tunnel.Flush()) return -1;
  const int wait = milliseconds == GNUTLS_INDEFINITE_TIMEOUT
                       ? tunnel.link.Left()
                       : std::min(static_cast<int>(milliseconds), tunnel.link.Left());
  return socket.waitForReadyRead(wait) ? 1 : 0;
}

struct SessionOwner {
  gnutls_session_t session = nullptr;
  gnutls_certificate_credentials_t credentials = nullptr;
  ~SessionOwner() {
    if (session) gnutls_deinit(session);
    if (credentials) gnutls_certificate_free_credentials(credentials);
  }
};

Answer HandshakeFailed(const QString& why) {
  return {Answer::Kind::HandshakeFailed, why, {}};
}

// The handshake trusts nothing and checks nothing: it only has the server show its certificates.
Answer Handshake(Link& link) {
  SessionOwner owner;
  Tunnel tunnel{link};
  if (gnutls_certificate_allocate_credentials(&owner.credentials) < 0 ||
      gnutls_init(&owner.session, GNUTLS_CLIENT) < 0 ||
      gnutls_priority_set_direct(owner.session, kDriverPriority, nullptr) < 0 ||
      gnutls_credentials_set(owner.session, GNUTLS_CRD_CERTIFICATE, owner.credentials) < 0) {
    return HandshakeFailed(QStringLiteral("TLS cannot be set up here"));
  }
  tunnel.session = owner.session;
  gnutls_transport_set_ptr(owner.session, &tunnel);
  gnutls_transport_set_push_function(owner.session, Push);
  gnutls_transport_set_pull_function(owner.session, Pull);
  gnutls_transport_set_pull_timeout_function(owner.session, PullTimeout);
  gnutls_handshake_set_timeout(owner.session, static_cast<unsigned>(std::max(1, link.Left())));
  int result = 0;
  do {
    result = gnutls_handshake(owner.session);
  } while (result < 0 && gnutls_error_is_fatal(result) == 0);
  if (result < 0) {
    return HandshakeFailed(link.Problem().isEmpty() ? QString::fromUtf8(gnutls_strerror(result))
                                                    : link.Problem());
  }
  unsigned int count = 0;
  const gnutls_datum_t* peers = gnutls_certificate_get_peers(owner.session, &count);
  Answer answer{Answer::Kind::Certificates, {}, {}};
  for (unsigned int i = 0; peers && i < count; ++i) {
    answer.chain.append(QByteArray(reinterpret_cast<const char*>(peers[i].data),
                                   static_cast<qsizetype>(peers[i].size)));
  }
  if (answer.chain.isEmpty())
    return HandshakeFailed(QStringLiteral("the server showed no certificate"));
  return answer;
}

}  // namespace

QByteArray PreloginMessage(const QString& instance) {
  const QByteArray name = (instance.isEmpty() ? QStringLiteral("MSSQLServer") : instance).toUtf8();
  const QByteArray version("\x09\x00\x00\x00\x00\x00", 6);
  const QByteArray values[] = {version, QByteArray(1, static_cast<char>(kEncryptOn)), name + '\0',
                               QByteArray(4, '\0'), QByteArray(1, '\0')};
  constexpr qsizetype kOptions = std::size(values);
  QByteArray head;
  QByteArray data;
  for (qsizetype option = 0; option < kOptions; ++option) {
    head.append(static_cast<char>(option));
    AppendBigEndian16(head, kOptions * 5 + 1 + data.size());
    AppendBigEndian16(head, values[option].size());
    data += values[option];
  }
  head.append(static_cast<char>(kLastOption));
  return head + data;
}

std::optional<quint8> EncryptionOf(const QByteArray& payload) {
  for (qsizetype at = 0; at + 5 <= payload.size(); at += 5) {
    const quint8 option = static_cast<quint8>(payload[at]);
    if (option == kLastOption) break;
    const qsizetype offset = BigEndian16(payload, at + 1);
    const qsizetype length = BigEndian16(payload, at + 3);
    if (option == kEncryptionOption && length >= 1 && offset < payload.size()) {
      return static_cast<quint8>(payload[offset]);
    }
  }
  return std::nullopt;
}

Answer Ask(const QString& host, quint16 port, const QString& instance,
           std::chrono::milliseconds timeout) {
  QTcpSocket socket;
  Link link(socket, Clock::now() + timeout);
  socket.connectToHost(host, port);
  if (!socket.waitForConnected(link.Left()))
    return {Answer::Kind::NoAnswer, socket.errorString(), {}};
  std::optional<QByteArray> answer;
  if (link.Send(PreloginMessage(instance))) answer = link.ReceiveMessage();
  if (!answer) return {Answer::Kind::NoAnswer, link.Problem(), {}};
  const std::optional<quint8> encryption = EncryptionOf(*answer);
  if (!encryption)
    return {Answer::Kind::NoAnswer, QStringLiteral("the answer is not a SQL Server's"), {}};
  if (*encryption == kEncryptNotSupported) return {Answer::Kind::NotEncrypting, {}, {}};
  return Handshake(link);
}

// The browser answers "...;InstanceName;NAME;...;tcp;PORT;..." for the instance asked for.
std::optional<quint16> InstancePort(const QString& host, const QString& instance,
                                    std::chrono::milliseconds timeout) {
  const QList<QHostAddress> addresses = QHostInfo::fromName(host).addresses();
  if (addresses.isEmpty()) return std::nullopt;
  QUdpSocket socket;
  const QByteArray request = '\x04' + instance.toUtf8() + '\0';
  if (socket.writeDatagram(request, addresses.constFirst(), kBrowserPort) != request.size()) {
    return std::nullopt;
  }
  if (!socket.waitForReadyRead(static_cast<int>(timeout.count()))) return std::nullopt;
  QByteArray reply(static_cast<qsizetype>(std::max<qint64>(socket.pendingDatagramSize(), 0)), '\0');
  socket.readDatagram(reply.data(), reply.size());
  const QList<QByteArray> fields = reply.mid(3).split(';');
  for (qsizetype i = 0; i + 1 < fields.size(); ++i) {
    if (fields[i].compare("tcp", Qt::CaseInsensitive) != 0) continue;
    bool number = false;
    const uint port = fields[i + 1].toUInt(&number);
    if (number && port > 0 && port < 65536) return static_cast<quint16>(port);
  }
  return std::nullopt;
}

}  // namespace server_tls
