#pragma once

// Where the two logins are kept between runs: application "Korvath", section "Ombrelia".

#include <QString>

#include "connections/connection_profile.h"

namespace profile_settings {

QString Read(const QString& key, const QString& defaultValue = {});
void Write(const QString& key, const QString& value);
bool Has(const QString& key);
void Remove(const QString& key);
// The settings file.
QString FilePath();

// Login 1 or 2 as the connection page loads it: the same keys and defaults ("1433" for the
// port, a flag that is set unless it is stored as "0", "request" for the encryption). Reads
// only, and no password: those are password_store's.
ConnectionProfile ReadProfile(int number);

}  // namespace profile_settings
