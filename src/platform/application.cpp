#include "platform/application.h"

namespace app {

std::unique_ptr<QApplication> CreateApplication(int& argc, char** argv) {
  static const char kNoGlib[] = "QT_NO_GLIB";
  // Someone who chose a loop through the environment keeps that choice.
  const bool chosenOutside = qEnvironmentVariableIsSet(kNoGlib);
  if (!chosenOutside) qputenv(kNoGlib, "1");
  auto application = std::make_unique<QApplication>(argc, argv);
  if (!chosenOutside) qunsetenv(kNoGlib);
  return application;
}

}  // namespace app
