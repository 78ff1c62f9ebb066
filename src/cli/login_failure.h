#pragma once

// Why a database could not be opened, in one line that names what was tried: the login was
// refused, the server did not answer, or the database cannot be opened, with the driver's text.

#include <QString>

#include "connections/connection_profile.h"
#include "platform/error.h"

namespace cli {

// "cannot open Database #1, db1 on 127.0.0.1,14331 as report: the login was refused"
QString LoginFailureWhat(const ConnectionProfile& login, int number, const platform::Error& error);

}  // namespace cli
