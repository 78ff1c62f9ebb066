#pragma once

// How a run tells whoever started it where it stands: a page turns this into its pointer and
// its progress bar; the command line into lines of text. Every call comes on the thread that
// started the run.

#include <QtGlobal>

namespace jobs {

class RunReport {
 public:
  virtual ~RunReport() = default;
  // The run works (the busy pointer) or no longer does.
  virtual void Busy(bool busy) = 0;
  // Rows read so far while the source is read; its total is not known yet.
  virtual void Reading(qint64 rowsRead) = 0;
  // `done` of `total` rows written: the row being written counts as done.
  virtual void Progress(qint64 done, qint64 total) = 0;
  // The run is over: whatever showed its progress comes back to rest.
  virtual void RunEnded() = 0;
};

}  // namespace jobs
