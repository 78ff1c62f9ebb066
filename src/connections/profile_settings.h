#pragma once

// Where the two logins are kept between runs: application "Korvath", section "Ombrelia".

#include <QString>

namespace profile_settings {

QString Read(const QString& key, const QString& defaultValue = {});
void Write(const QString& key, const QString& value);

}  // namespace profile_settings
