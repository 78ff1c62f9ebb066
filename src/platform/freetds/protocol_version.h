#pragma once

// The version of the protocol FreeTDS speaks with the server. A login named by `Server=` reads
// no configuration file, so FreeTDS guesses the version: it tries TDS 7.4, and when that login
// is not answered in time, Sybase's TDS 5.0, whose login and logout wait on a server that never
// answers without any bound (minutes, or for ever): the login time-out then bounds nothing.
// Named to the driver (TDSVER), the version is tried alone, and the login time-out bounds the
// whole login. SQL Server speaks TDS 7.x only, and answers a 7.4 login in the version it
// speaks.

#include <QList>
#include <QString>

#include "platform/freetds/freetds_config.h"

namespace freetds_protocol {

// The version to name: the one the program was started with (TDSVER), else the [global] one of
// the driver's configuration files, else 7.4; "auto", which guesses, names none.
QString VersionToName(const QString& startedWith, const QList<freetds_config::Setting>& system);

// Names the version to the driver for the whole run. Called once at the start of the program,
// before any other thread runs: the driver reads the variable at every login.
void NameVersion();

}  // namespace freetds_protocol
