#pragma once

// The parts of a standard error report's text: the failure's description, and where it
// happened; the command line shows the first and keeps the second for its own words.

#include <QString>

namespace cli {

struct ReportText {
  QString description;  // the server's or the driver's own text
  QString location;     // "Form3.PushButton2_Click"; empty when the text is no report
  int line = 0;
};

ReportText ParseReport(const QString& text);

}  // namespace cli
