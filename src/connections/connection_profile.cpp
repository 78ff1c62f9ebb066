#include "connections/connection_profile.h"

#include "connections/encryption.h"
#include "platform/error.h"

namespace {

// The FreeTDS driver reads a braced value up to the first "};" and takes every '}' before it
// literally; a doubled '}' stays doubled. So a value is braced as it stands, and a value
// holding "};" cannot be braced at all: the rest of it would be read as attributes.
const QLatin1String kUnbraceable("};");

bool NeedsBraces(const QString& value) {
  if (value.isEmpty()) return false;
  return value.contains(QLatin1Char(';')) || value.startsWith(QLatin1Char('{')) ||
         value.startsWith(QLatin1Char(' ')) || value.endsWith(QLatin1Char(' '));
}

QString AttributeValue(const QString& field, const QString& value) {
  if (!NeedsBraces(value)) return value;
  if (value.contains(kUnbraceable)) throw UnsafeLoginValue(field);
  return QLatin1Char('{') + value + QLatin1Char('}');
}

// The server and the port form one attribute value, so they are braced together.
QString ServerValue(const ConnectionProfile& profile) {
  if (profile.IsLocal()) return AttributeValue(QStringLiteral("Server"), profile.Server);
  const QString server = profile.Server + QLatin1Char(',') + profile.Port;
  const QString field =
      profile.Port.contains(kUnbraceable) ? QStringLiteral("Port") : QStringLiteral("Server");
  return AttributeValue(field, server);
}

}  // namespace

UnsafeLoginValue::UnsafeLoginValue(const QString& field)
    : platform::Error(QStringLiteral("The ") + field +
                      QStringLiteral(" of this login holds \"};\", which cannot be passed to "
                                     "the ODBC driver without changing the login. Please change "
                                     "the ") +
                      field + QStringLiteral(" on the connection page.")) {}

login_encryption::Login EncryptedLoginOf(const ConnectionProfile& profile) {
  return {ServerValue(profile), ServerOf(profile), EncryptionOf(profile), CaFileOf(profile)};
}

// The server and the encryption in the platform's driver's words.
QString BuildConnectionString(const ConnectionProfile& profile) {
  const login_encryption::Login login = EncryptedLoginOf(profile);
  return QStringLiteral("Driver={SQL Server};") + login_encryption::ServerAttribute(login) +
         QStringLiteral(";Database=") +
         AttributeValue(QStringLiteral("Database"), profile.Database) + QStringLiteral(";Uid=") +
         AttributeValue(QStringLiteral("User"), profile.User) + QStringLiteral(";Pwd=") +
         AttributeValue(QStringLiteral("Password"), profile.Password) + QLatin1Char(';') +
         login_encryption::EncryptionAttributes(login);
}
