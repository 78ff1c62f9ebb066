#include "platform/desktop/keyring.h"

namespace keyring {

// Control Panel's own name for the store of a user's generic credentials.
QString StoreName() {
  return QStringLiteral("the Windows Credential Manager");
}

}  // namespace keyring
