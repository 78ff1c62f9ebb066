#pragma once

// The system's ODBC API, as every file of the ODBC layer includes it: unixODBC's headers on
// Linux; on Windows the SDK's, which need the system's own types declared first.

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#endif

#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>
