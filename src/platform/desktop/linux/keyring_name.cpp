#include "platform/desktop/keyring.h"

namespace keyring {

// The Secret Service of GNOME Keyring or KWallet, or whichever the desktop runs.
QString StoreName() {
  return QStringLiteral("the desktop's keyring");
}

}  // namespace keyring
