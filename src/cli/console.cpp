#include "cli/console.h"

namespace cli {

QString OneLine(const QString& text) {
  QString line = text;
  line.replace(QLatin1String("\r\n"), QLatin1String(" "));
  line.replace(QLatin1Char('\r'), QLatin1Char(' '));
  line.replace(QLatin1Char('\n'), QLatin1Char(' '));
  return line.simplified();
}

void Console::Failure(const QString& what, const QString& serverText) {
  Message(QStringLiteral("ombrelia: ") + what + QStringLiteral(": ") + OneLine(serverText));
}

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
