#pragma once

// Where the system keeps a user's settings: an ini file under the user's configuration folder
// on Unix, kept readable by its owner alone; the registry under the current user on Windows.

#include <QSettings>
#include <memory>
#include <optional>

namespace settings_side {

// The store of `appName`: ~/.config/<appName>.ini on Unix; on Windows the registry key
// HKEY_CURRENT_USER\Software\<appName>, whose sections are its subkeys.
std::unique_ptr<QSettings> NativeStore(const QString& appName);
// Moves what an earlier version kept of `section` elsewhere into the store (on Windows: the
// settings library's default key for a store named without an application); the failure, with
// the store's name, when it could not be moved whole. Nothing to move is no failure.
std::optional<QString> MoveEarlierSection(const QString& appName, const QString& section);
// After a write: a file that holds the store is made private (a store in the registry is the
// user's already). Throws platform::Error when it cannot be.
void KeepPrivate(const QSettings& store);

}  // namespace settings_side
