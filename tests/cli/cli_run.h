#pragma once

// Runs the command line in the test's process and keeps what it wrote.

#include <QStringList>
#include <QTextStream>

#include "cli/command_line.h"

struct CliRun {
  int exitCode = -1;
  QString out;
  QString err;

  QStringList Lines() const { return out.split(QLatin1Char('\n'), Qt::SkipEmptyParts); }
};

inline CliRun RunCli(QStringList arguments) {
  CliRun run;
  QTextStream out(&run.out);
  QTextStream err(&run.err);
  cli::Console console(out, err);
  arguments.prepend(QStringLiteral("ombrelia"));
  run.exitCode = cli::Run(arguments, console);
  console.Flush();
  return run;
}
