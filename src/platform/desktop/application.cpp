#include "platform/desktop/application.h"

#include <clocale>

namespace app {

std::unique_ptr<QApplication> CreateApplication(int& argc, char** argv) {
  static const char kNoGlib[] = "QT_NO_GLIB";
  // Someone who chose a loop through the environment keeps that choice.
  const bool chosenOutside = qEnvironmentVariableIsSet(kNoGlib);
  if (!chosenOutside) qputenv(kNoGlib, "1");
  auto application = std::make_unique<QApplication>(argc, argv);
  if (!chosenOutside) qunsetenv(kNoGlib);
  KeepNumbersLocaleIndependent();
  // A page is closed through its own handling, which ends the program; a box that closes while
  // no page is active must not end it.
  QApplication::setQuitOnLastWindowClosed(false);
  return application;
}

// The application object set every category from the environment; the driver formats numbers
// with the C library.
void KeepNumbersLocaleIndependent() {
  std::setlocale(LC_NUMERIC, "C");
}

}  // namespace app
