#include "platform/desktop/spreadsheet.h"

namespace spreadsheet {

QString TextStart() {
  return {};
}

}  // namespace spreadsheet
