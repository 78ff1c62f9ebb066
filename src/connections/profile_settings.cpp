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

}  // namespace profile_settings
