#include "processes.h"

#include <stdexcept>
#include <string>

namespace bench {

QProcessEnvironment MachineEnvironment() {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"ODBCSYSINI", "ODBCINSTINI", "ODBCINI"}) {
    environment.remove(QLatin1String(name));
  }
  return environment;
}

void RunToTheEnd(QProcess& process, const QString& program, const QStringList& arguments) {
  process.setProcessEnvironment(MachineEnvironment());
  process.start(program, arguments);
  if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit ||
      process.exitCode() != 0) {
    throw std::runtime_error("a benchmark's process failed (exit " +
                             std::to_string(process.exitCode()) +
                             "): " + process.readAllStandardError().toStdString() +
                             process.readAllStandardOutput().toStdString());
  }
}

}  // namespace bench
