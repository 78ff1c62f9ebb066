#include "cli/console.h"

namespace cli {

void Console::Message(const QString& text) {
  QString lines = text;
  lines.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  out_ << Qt::flush;
  if (lineOpen_) err_ << '\n';
  lineOpen_ = false;
  err_ << lines << '\n' << Qt::flush;
}

void Console::Raw(const QString& text) {
  if (text.isEmpty()) return;
  err_ << text << Qt::flush;
  lineOpen_ = !text.endsWith(QLatin1Char('\n'));
}

}  // namespace cli
