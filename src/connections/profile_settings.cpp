#include "connections/profile_settings.h"

#include "platform/desktop/settings.h"
#include "shell/main_module.h"

namespace profile_settings {
namespace {
const QString kApplication = QStringLiteral("Korvath");

QString Section() {
  return QString::fromLatin1(Main::kProductTitle);
}

}  // namespace

QString Read(const QString& key, const QString& defaultValue) {
  return settings::GetSetting(kApplication, Section(), key, defaultValue);
}

void Write(const QString& key, const QString& value) {
  settings::SaveSetting(kApplication, Section(), key, value);
}

bool Has(const QString& key) {
  return settings::HasSetting(kApplication, Section(), key);
}

void Remove(const QString& key) {
  settings::RemoveSetting(kApplication, Section(), key);
}

QString FilePath() {
  return settings::FilePath(kApplication);
}

ConnectionProfile ReadProfile(int number) {
  const QString suffix = number == 1 ? QString() : QStringLiteral("2");
  const QString flag =
      Read(QStringLiteral("Local Connection") + QString::number(number), QStringLiteral("0"));
  return {Read(QStringLiteral("Server") + suffix),
          Read(QStringLiteral("User") + suffix),
          QString(),
          Read(QStringLiteral("Database") + suffix),
          Read(QStringLiteral("Port") + suffix, QStringLiteral("1433")),
          flag == QLatin1String("0") ? QStringLiteral("0") : QStringLiteral("1"),
          Read(QStringLiteral("Encryption") + suffix, QStringLiteral("request")),
          Read(QStringLiteral("CA File") + suffix)};
}

}  // namespace profile_settings
