#include "connections/profile_settings.h"

#include "platform/settings.h"
#include "shell/main_module.h"

namespace profile_settings {
namespace {
const QString kApplication = QStringLiteral("Korvath");
}

QString Read(const QString& key, const QString& defaultValue) {
  return settings::GetSetting(kApplication, QString::fromLatin1(Main::kProductTitle), key,
                              defaultValue);
}

void Write(const QString& key, const QString& value) {
  settings::SaveSetting(kApplication, QString::fromLatin1(Main::kProductTitle), key, value);
}

ConnectionProfile ReadProfile(int number) {
  const QString suffix = number == 1 ? QString() : QStringLiteral("2");
  const QString flag =
      Read(QStringLiteral("Local Connection") + QString::number(number), QStringLiteral("0"));
  return {Read(QStringLiteral("Server") + suffix),
          Read(QStringLiteral("User") + suffix),
          Read(QStringLiteral("Password") + suffix),
          Read(QStringLiteral("Database") + suffix),
          Read(QStringLiteral("Port") + suffix, QStringLiteral("1433")),
          flag == QLatin1String("0") ? QStringLiteral("0") : QStringLiteral("1")};
}

}  // namespace profile_settings
