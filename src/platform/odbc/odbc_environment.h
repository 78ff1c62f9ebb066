#pragma once

// The one ODBC environment of the process (ODBC 3 behaviour), created on first use.

#include "platform/odbc/odbc_api.h"

namespace adodb::odbc {

SQLHENV Environment();

}  // namespace adodb::odbc
