#include "cli/report_text.h"

#include "shell/error_report.h"

namespace cli {
namespace {

const QString kAtLine = QStringLiteral(" at line ");

// What stands between the description and the location: "\r\nin Kestrava2021/08/31.".
QString BeforeLocation() {
  const QString empty = shell::ApplicationErrorText(QString(), QString(), 0);
  return empty.left(empty.indexOf(kAtLine));
}

}  // namespace

ReportText ParseReport(const QString& text) {
  static const QString before = BeforeLocation();
  const qsizetype start = text.lastIndexOf(before);
  if (start < 0) return {text, QString(), 0};
  const QString rest = text.mid(start + before.size());
  const qsizetype at = rest.indexOf(kAtLine);
  if (at < 0) return {text, QString(), 0};
  const qsizetype lineEnd = rest.indexOf(QLatin1Char('\r'), at);
  return {text.left(start), rest.left(at),
          rest.mid(at + kAtLine.size(), lineEnd < 0 ? -1 : lineEnd - at - kAtLine.size()).toInt()};
}

}  // namespace cli
