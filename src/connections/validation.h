#pragma once

#include "connections/connection_profile.h"

namespace MSSQL {

// Opens profile 1's (or 2's) database once and says whether that worked, without a message.
// Only a failure to create the connection object at all reaches the caller. When the login
// was not tried as it stands, or was refused for its encryption, `why` gets the reason.
bool ValidateDatabase1(const ConnectionProfiles& profiles, QString* why = nullptr);
bool ValidateDatabase2(const ConnectionProfiles& profiles, QString* why = nullptr);

}  // namespace MSSQL
