#pragma once

// The per-user settings store: texts addressed by application name, section and key.
// It holds passwords as typed, so its file is readable and writable by its owner only.

#include <QString>

namespace settings {

QString GetSetting(const QString& appName, const QString& section, const QString& key,
                   const QString& defaultValue = {});
// Writes one value at once. Throws platform::Error when the store cannot be written or kept
// private.
void SaveSetting(const QString& appName, const QString& section, const QString& key,
                 const QString& value);
// The file that holds an application's settings.
QString FilePath(const QString& appName);

}  // namespace settings
