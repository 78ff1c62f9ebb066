#pragma once

// One SQL Server login, and the one rule that turns it into an ODBC connection string.

#include <QString>

#include "platform/error.h"

struct ConnectionProfile {
  QString Server;
  QString User;
  QString Password;
  QString Database;
  QString Port;
  // The local-connection check box value as text: set only when exactly "1".
  QString LocalConnection;
  // How the connection is encrypted: "request" (also when empty), "require" or "verify" (see
  // connections/encryption.h); and for verify, the CA file to trust instead of the system's
  // certificate authorities (empty: the system's).
  QString Encryption = {};
  QString CaFile = {};
  // Seconds the login may take before it is given up (the command line's --login-timeout); 0:
  // the connection's own. Never stored.
  int LoginTimeout = 0;
  // Seconds a statement on its connections may run before it is given up (the command line's
  // --query-timeout), from the first statement on; 0: the connection's own. Never stored.
  int QueryTimeout = 0;

  bool IsLocal() const { return LocalConnection == QLatin1String("1"); }
};

// "Driver={SQL Server};Server=<server>[,<port>];Database=<db>;Uid=<user>;Pwd=<password>;"
// The server's attribute and the words that ask for the login's encryption are the platform's
// driver's (platform/odbc/login_encryption.h): with FreeTDS, a login that requires encryption
// ends in "Encryption=require;", and one that verifies the server's certificate names its
// section of the program's FreeTDS configuration instead of the server
// ("Servername=ombrelia-<hash>"). Values go in as typed,
// except that a value which would change the string's meaning (one with
// ';', or beginning with '{', or beginning or ending with a blank) is written in braces. Such a
// value holding "};" cannot be written so that the driver reads it back: UnsafeLoginValue.
QString BuildConnectionString(const ConnectionProfile& profile);

// A login field that no connection string can carry intact; the description names the field.
class UnsafeLoginValue : public platform::Error {
 public:
  explicit UnsafeLoginValue(const QString& field);
};

// Where the two logins live: the connection page's controls, read at the moment of use.
class ConnectionProfiles {
 public:
  virtual ~ConnectionProfiles() = default;
  virtual ConnectionProfile Profile1() const = 0;
  virtual ConnectionProfile Profile2() const = 0;
};
