#pragma once

#include <QString>

namespace shell {

// The address that ends every error report.
inline constexpr char kSupportAddress[] = "support@ombrelia.invalid";

// The text of the standard "Application Error" box for a failure at `location`
// ("Form2.PushButton2_Click") in the numbered statement `line`.
QString ApplicationErrorText(const QString& description, const QString& location, int line);

// Shows the standard "Application Error" box.
void ReportApplicationError(const QString& description, const QString& location, int line);

}  // namespace shell
