#pragma once

// A server's certificates checked as the FreeTDS driver checks them (with GnuTLS, as it does):
// the chain must lead to a trusted certificate authority, either one of the system's or one of
// a CA file, and the server's own certificate must be made out to the name the login connects to.

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

namespace certificate_check {

struct Certificate {
  QString subject;    // "CN=localhost"
  QString issuer;     // "CN=Test CA"
  QStringList names;  // the names it is made out to: its DNS names and addresses, else its CN
  QDateTime notBefore;
  QDateTime notAfter;
};

struct Verdict {
  Certificate server;
  bool trusted = false;
  bool expired = false;
  bool notYetValid = false;
  bool unknownAuthority = false;  // no trusted authority signed it (or its chain)
  QString otherProblem;           // any further reason the chain is not trusted
  bool nameMatches = false;
};

// `chain` is DER, the server's own certificate first; an empty `caFile` means the system's
// certificate authorities. Throws platform::Error when the CA file cannot be used.
Verdict Check(const QList<QByteArray>& chain, const QString& caFile, const QString& host);

// How many certificate authorities `caFile` (PEM) holds; throws platform::Error with the
// reason when it cannot be read or holds none.
int CountAuthorities(const QString& caFile);

}  // namespace certificate_check
