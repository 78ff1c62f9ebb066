#include "platform/desktop/display.h"

namespace display {

bool Available() {
  return true;
}

}  // namespace display
