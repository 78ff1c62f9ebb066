#pragma once

// The progress of a long job on standard error: the rows read, then the rows written of the
// total, rows a second and the time left. On a terminal it is one line redrawn in place, at most
// ten times a second; written to a file (asked for with --progress) it is one line a second.
// Nothing otherwise.

#include <QElapsedTimer>
#include <QString>
#include <functional>

#include "cli/console.h"

namespace cli {

class ProgressLine {
 public:
  enum class Mode { Off, InPlace, Lines };
  // The mode for standard error as it is: in place on a terminal, lines when asked for.
  static Mode ModeFor(bool asked);

  // `clock` gives milliseconds since some start; the default is a monotonic clock.
  ProgressLine(Console& console, Mode mode, std::function<qint64()> clock = {});
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  // Rows read so far, while the total is not known yet.
  void Reading(qint64 rowsRead);
  // `done` of `total` rows written.
  void Update(qint64 done, qint64 total);
  // Ends the line, if one was drawn.
  void Finish();

  // "1200 of 5000 rows, 400 rows/s, 10 s left"
  static QString Text(qint64 done, qint64 total, qint64 elapsedMs);

 private:
  void Draw(const QString& text, bool atOnce);

  Console& console_;
  Mode mode_;
  std::function<qint64()> clock_;
  QElapsedTimer timer_;
  bool writing_ = false;
  qint64 start_ = 0;  // when the first row was written
  qint64 lastDrawn_ = -1;
  qsizetype lastLength_ = 0;
};

}  // namespace cli
