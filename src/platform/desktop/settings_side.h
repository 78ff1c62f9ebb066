#pragma once

// Where the system keeps a user's settings: an ini file under the user's configuration folder
// on Unix, kept readable by its owner alone; the registry under the current user on Windows.

#include <QSettings>

namespace settings_side {

QSettings::Format NativeFormat();
// After a write: a file that holds the store is made private (a store in the registry is the
// user's already). Throws platform::Error when it cannot be.
void KeepPrivate(const QSettings& store);

}  // namespace settings_side
