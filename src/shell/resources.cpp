#include "shell/resources.h"

#include <QtGlobal>

// The resources live in a static library, so they are registered by hand, once.
static void RegisterResources() {
  Q_INIT_RESOURCE(resources);
}

namespace shell {

void InitResources() {
  static const bool registered = (RegisterResources(), true);
  (void)registered;
}

}  // namespace shell
