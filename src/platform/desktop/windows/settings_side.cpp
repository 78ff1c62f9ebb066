#include "platform/desktop/settings_side.h"

namespace settings_side {

// The registry, HKEY_CURRENT_USER\Software\<application>.
QSettings::Format NativeFormat() {
  return QSettings::NativeFormat;
}

// A store of the current user's registry, or a file in the user's own profile, is the user's.
void KeepPrivate(const QSettings&) {}

}  // namespace settings_side
