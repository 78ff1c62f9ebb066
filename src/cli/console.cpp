#include "cli/console.h"

namespace cli {

void Console::Message(const QString& text) {
  QString lines = text;
  lines.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  out_ << Qt::flush;
  err_ << lines << '\n' << Qt::flush;
}

}  // namespace cli
