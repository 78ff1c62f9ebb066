#include "shell/trap.h"

#include "platform/error.h"
#include "shell/error_report.h"

namespace shell {

QString DescriptionOf(std::exception_ptr failure) {
  try {
    std::rethrow_exception(failure);
  } catch (const platform::Error& error) {
    return error.Description();
  } catch (const std::exception& error) {
    return QString::fromUtf8(error.what());
  } catch (...) {
    return QStringLiteral("Unknown error");
  }
}

void Trap::Report(int line, std::exception_ptr failure) const {
  ReportApplicationError(DescriptionOf(failure), location_, line);
}

}  // namespace shell
