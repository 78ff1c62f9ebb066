#include "shell/error_report.h"

#include "platform/desktop/dialogs.h"

namespace shell {

QString ApplicationErrorText(const QString& description, const QString& location, int line) {
  return description + QStringLiteral("\r\nin Kestrava2021/08/31.") + location +
         QStringLiteral(" at line ") + QString::number(line) +
         QStringLiteral("\r\rPlease email screenshot of this message to ") +
         QLatin1String(kSupportAddress);
}

void ReportApplicationError(const QString& description, const QString& location, int line) {
  dialogs::MsgBox(ApplicationErrorText(description, location, line),
                  dialogs::vbOKOnly | dialogs::vbExclamation, QStringLiteral("Application Error"));
}

}  // namespace shell
