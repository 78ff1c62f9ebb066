#pragma once

// What an append shows on the append page: the busy pointer, and on the progress bar the share
// written and a text that says how far the run has got ("Reading rows...", "1,234 of 20,000
// rows, about 12 s left"); at rest the bar stands at 0 with the text "Progress Bar". The text
// changes at most every kTextMilliseconds.

#include <optional>

#include "append/engine/time_left.h"
#include "jobs/run_report.h"

class ProgressBar;
namespace shell {
class Page;
}

namespace append {

class AppendProgress : public jobs::RunReport {
 public:
  static constexpr qint64 kTextMilliseconds = 250;

  AppendProgress(shell::Page& page, ProgressBar& bar) : page_(page), bar_(bar) {}

  void Busy(bool busy) override;
  void Reading(qint64 rowsRead) override;
  void Progress(qint64 done, qint64 total) override;
  void RunEnded() override;

 private:
  void ShowText(const QString& text, bool now);

  shell::Page& page_;
  ProgressBar& bar_;
  TimeLeft timeLeft_;
  std::optional<qint64> textShownAt_;
  bool writing_ = false;
};

}  // namespace append
