#pragma once

// Processes of the benchmarks' own: the program or a bare client, run as a user's script runs
// them.

#include <QProcess>
#include <QStringList>

namespace bench {

// The machine's environment without the tests' private ODBC registry: the machine's drivers.
QProcessEnvironment MachineEnvironment();

// Runs `program` to its end; throws with its standard error when it fails.
void RunToTheEnd(QProcess& process, const QString& program, const QStringList& arguments);

}  // namespace bench
