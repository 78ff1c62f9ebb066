#pragma once

// Where the two logins are kept between runs: application "Korvath", section "Ombrelia".

#include <QString>

#include "connections/connection_profile.h"

namespace profile_settings {

QString Read(const QString& key, const QString& defaultValue = {});
void Write(const QString& key, const QString& value);

// Login 1 or 2 as the connection page loads it: the same keys and defaults ("1433" for the
// port, a flag that is set unless it is stored as "0"). Reads only.
ConnectionProfile ReadProfile(int number);

}  // namespace profile_settings
