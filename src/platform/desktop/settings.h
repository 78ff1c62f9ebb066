#pragma once

// The per-user settings store: texts addressed by application name, section and key, where the
// system keeps them (settings_side.h). It may hold passwords as typed, so a file that holds it
// is readable and writable by its owner only.

#include <QString>

namespace settings {

QString GetSetting(const QString& appName, const QString& section, const QString& key,
                   const QString& defaultValue = {});
// Writes one value at once. Throws platform::Error when the store cannot be written or kept
// private.
void SaveSetting(const QString& appName, const QString& section, const QString& key,
                 const QString& value);
// Whether the store holds the key at all (an empty value counts).
bool HasSetting(const QString& appName, const QString& section, const QString& key);
// Removes one key at once; throws platform::Error as SaveSetting does.
void RemoveSetting(const QString& appName, const QString& section, const QString& key);
// The file that holds an application's settings (on Windows, the registry key).
QString FilePath(const QString& appName);
// From now on the store is an ini file in `folder` (a test's own); empty: the system's store
// again.
void KeepInFolder(const QString& folder);

}  // namespace settings
