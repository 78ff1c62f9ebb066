#include "platform/desktop/display.h"

#include <QString>
#include <QtGlobal>

namespace display {

bool Available() {
  // A platform other than a display server's (offscreen, vnc) needs none.
  const QString platform = qEnvironmentVariable("QT_QPA_PLATFORM");
  if (!platform.isEmpty() && !platform.startsWith(QLatin1String("xcb")) &&
      !platform.startsWith(QLatin1String("wayland"))) {
    return true;
  }
  return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

}  // namespace display
