#pragma once

#include <QString>

namespace fake {

// The value of the first `key=value` pair of an ODBC connection string whose key matches
// without regard to letter case; a value in braces may hold ";" and "}}" for "}".
// Empty when the key is absent.
QString ConnectionStringValue(const QString& connectionString, const QString& key);

}  // namespace fake
