#include "platform/freetds/certificate_check.h"

#include <gnutls/gnutls.h>
#include <gnutls/x509.h>

#include <QFile>
#include <QHostAddress>
#include <QtEndian>
#include <vector>

#include "platform/error.h"

namespace certificate_check {
namespace {

constexpr unsigned kUnknownAuthority = GNUTLS_CERT_SIGNER_NOT_FOUND | GNUTLS_CERT_SIGNER_NOT_CA;
constexpr unsigned kTold =
    GNUTLS_CERT_INVALID | kUnknownAuthority | GNUTLS_CERT_EXPIRED | GNUTLS_CERT_NOT_ACTIVATED;

class TrustList {
 public:
  TrustList() { gnutls_x509_trust_list_init(&list_, 0); }
  ~TrustList() { gnutls_x509_trust_list_deinit(list_, 1); }
  TrustList(const TrustList&) = delete;
  TrustList& operator=(const TrustList&) = delete;
  gnutls_x509_trust_list_t get() const { return list_; }

 private:
  gnutls_x509_trust_list_t list_ = nullptr;
};

class Chain {
 public:
  explicit Chain(const QList<QByteArray>& der) {
    for (const QByteArray& bytes : der) {
      gnutls_x509_crt_t certificate = nullptr;
      gnutls_x509_crt_init(&certificate);
      certificates_.push_back(certificate);
      const gnutls_datum_t datum{
          reinterpret_cast<unsigned char*>(const_cast<char*>(bytes.constData())),
          static_cast<unsigned>(bytes.size())};
      if (gnutls_x509_crt_import(certificate, &datum, GNUTLS_X509_FMT_DER) < 0) {
        throw platform::Error(QStringLiteral("The server's certificate cannot be read."));
      }
    }
  }
  ~Chain() {
    for (gnutls_x509_crt_t certificate : certificates_) gnutls_x509_crt_deinit(certificate);
  }
  Chain(const Chain&) = delete;
  Chain& operator=(const Chain&) = delete;
  gnutls_x509_crt_t* data() { return certificates_.data(); }
  unsigned size() const { return static_cast<unsigned>(certificates_.size()); }

 private:
  std::vector<gnutls_x509_crt_t> certificates_;
};

QString Taken(gnutls_datum_t& datum) {
  const QString text = QString::fromUtf8(reinterpret_cast<const char*>(datum.data),
                                         static_cast<qsizetype>(datum.size));
  gnutls_free(datum.data);
  return text;
}

QString Subject(gnutls_x509_crt_t certificate) {
  gnutls_datum_t datum{};
  return gnutls_x509_crt_get_dn3(certificate, &datum, 0) < 0 ? QString() : Taken(datum);
}

QString Issuer(gnutls_x509_crt_t certificate) {
  gnutls_datum_t datum{};
  return gnutls_x509_crt_get_issuer_dn3(certificate, &datum, 0) < 0 ? QString() : Taken(datum);
}

QString CommonName(gnutls_x509_crt_t certificate) {
  char name[256] = {};
  size_t size = sizeof(name);
  if (gnutls_x509_crt_get_dn_by_oid(certificate, GNUTLS_OID_X520_COMMON_NAME, 0, 0, name, &size) <
      0) {
    return {};
  }
  return QString::fromUtf8(name, static_cast<qsizetype>(size));
}

// Its DNS names and addresses; its common name when it has neither.
QStringList Names(gnutls_x509_crt_t certificate) {
  QStringList names;
  for (unsigned sequence = 0;; ++sequence) {
    char value[256] = {};
    size_t size = sizeof(value);
    unsigned type = 0;
    const int result =
        gnutls_x509_crt_get_subject_alt_name2(certificate, sequence, value, &size, &type, nullptr);
    if (result == GNUTLS_E_REQUESTED_DATA_NOT_AVAILABLE) break;
    if (result < 0) continue;
    if (type == GNUTLS_SAN_DNSNAME) {
      names << QString::fromUtf8(value, static_cast<qsizetype>(size));
    } else if (type == GNUTLS_SAN_IPADDRESS && (size == 4 || size == 16)) {
      QHostAddress address;
      if (size == 4) {
        address.setAddress(qFromBigEndian<quint32>(value));
      } else {
        address.setAddress(reinterpret_cast<const quint8*>(value));
      }
      names << address.toString();
    }
  }
  if (names.isEmpty()) names << CommonName(certificate);
  return names;
}

Certificate Described(gnutls_x509_crt_t certificate) {
  return {Subject(certificate), Issuer(certificate), Names(certificate),
          QDateTime::fromSecsSinceEpoch(gnutls_x509_crt_get_activation_time(certificate)),
          QDateTime::fromSecsSinceEpoch(gnutls_x509_crt_get_expiration_time(certificate))};
}

int AddAuthorities(const TrustList& trust, const QString& caFile) {
  if (caFile.isEmpty()) return gnutls_x509_trust_list_add_system_trust(trust.get(), 0, 0);
  QFile file(caFile);
  if (!file.open(QIODevice::ReadOnly)) {
    throw platform::Error(
        QStringLiteral("the CA file %1 cannot be read: %2").arg(caFile, file.errorString()));
  }
  QByteArray pem = file.readAll();
  const gnutls_datum_t datum{reinterpret_cast<unsigned char*>(pem.data()),
                             static_cast<unsigned>(pem.size())};
  const int added =
      gnutls_x509_trust_list_add_trust_mem(trust.get(), &datum, nullptr, GNUTLS_X509_FMT_PEM, 0, 0);
  if (added <= 0) {
    throw platform::Error(
        QStringLiteral("the CA file %1 holds no certificate in PEM form (-----BEGIN "
                       "CERTIFICATE-----)")
            .arg(caFile));
  }
  return added;
}

QString StatusText(unsigned status) {
  gnutls_datum_t text{};
  if (gnutls_certificate_verification_status_print(status, GNUTLS_CRT_X509, &text, 0) < 0) {
    return QStringLiteral("status %1").arg(status);
  }
  return Taken(text).trimmed();
}

}  // namespace

Verdict Check(const QList<QByteArray>& chain, const QString& caFile, const QString& host) {
  const TrustList trust;
  AddAuthorities(trust, caFile);
  Chain certificates(chain);
  Verdict verdict;
  verdict.server = Described(certificates.data()[0]);
  unsigned status = 0;
  if (gnutls_x509_trust_list_verify_crt2(trust.get(), certificates.data(), certificates.size(),
                                         nullptr, 0, 0, &status, nullptr) < 0) {
    status |= GNUTLS_CERT_INVALID;
  }
  verdict.trusted = status == 0;
  verdict.expired = status & GNUTLS_CERT_EXPIRED;
  verdict.notYetValid = status & GNUTLS_CERT_NOT_ACTIVATED;
  verdict.unknownAuthority = status & kUnknownAuthority;
  if (const unsigned other = status & ~kTold) verdict.otherProblem = StatusText(other);
  verdict.nameMatches =
      gnutls_x509_crt_check_hostname2(certificates.data()[0], host.toUtf8().constData(), 0) != 0;
  return verdict;
}

int CountAuthorities(const QString& caFile) {
  const TrustList trust;
  return AddAuthorities(trust, caFile);
}

}  // namespace certificate_check
