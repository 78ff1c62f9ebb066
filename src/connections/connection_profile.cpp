#include "connections/connection_profile.h"

namespace {

bool NeedsBraces(const QString& value) {
  if (value.isEmpty()) return false;
  return value.contains(QLatin1Char(';')) || value.startsWith(QLatin1Char('{')) ||
         value.startsWith(QLatin1Char(' ')) || value.endsWith(QLatin1Char(' '));
}

QString Braced(const QString& value) {
  QString braced = value;
  braced.replace(QLatin1String("}"), QLatin1String("}}"));
  return QLatin1Char('{') + braced + QLatin1Char('}');
}

QString AttributeValue(const QString& value) {
  return NeedsBraces(value) ? Braced(value) : value;
}

// The server and the port form one attribute value, so they are braced together.
QString ServerValue(const ConnectionProfile& profile) {
  if (profile.IsLocal()) return AttributeValue(profile.Server);
  const QString server = profile.Server + QLatin1Char(',') + profile.Port;
  return NeedsBraces(profile.Server) || NeedsBraces(profile.Port) ? Braced(server) : server;
}

}  // namespace

QString BuildConnectionString(const ConnectionProfile& profile) {
  return QStringLiteral("Driver={SQL Server};Server=") + ServerValue(profile) +
         QStringLiteral(";Database=") + AttributeValue(profile.Database) + QStringLiteral(";Uid=") +
         AttributeValue(profile.User) + QStringLiteral(";Pwd=") + AttributeValue(profile.Password) +
         QLatin1Char(';');
}
