#include "platform/desktop/spreadsheet.h"

namespace spreadsheet {

// U+FEFF, written in UTF-8 as EF BB BF.
QString TextStart() {
  return QString(QChar(0xFEFF));
}

}  // namespace spreadsheet
