#include "platform/freetds/protocol_version.h"

namespace freetds_protocol {
namespace {

const QString kSqlServersVersion = QStringLiteral("7.4");

bool NamesAVersion(const QString& value) {
  return !value.trimmed().isEmpty() && value.trimmed().compare(u"auto", Qt::CaseInsensitive) != 0;
}

}  // namespace

QString VersionToName(const QString& startedWith, const QList<freetds_config::Setting>& system) {
  if (NamesAVersion(startedWith)) return startedWith.trimmed();
  for (const freetds_config::Setting& setting : system) {
    if (setting.key == QLatin1String("tds version") && NamesAVersion(setting.value)) {
      return setting.value;
    }
  }
  return kSqlServersVersion;
}

void NameVersion() {
  const QString version =
      VersionToName(qEnvironmentVariable("TDSVER"), freetds_config::SystemSettings());
  qputenv("TDSVER", version.toUtf8());
}

}  // namespace freetds_protocol
