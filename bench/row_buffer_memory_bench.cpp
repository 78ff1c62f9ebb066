// The memory the append engine's read phase holds: 1,000,000 rows of 5 values each in its row
// buffer, against the bytes of their text. Measured in a child process of its own, as the
// growth of its peak resident memory, so that memory freed by earlier work cannot hide it.

#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <array>
#include <cstdio>
#include <stdexcept>

#include "append/ways/row_buffer.h"
#include "items.h"

namespace bench {
namespace {

constexpr long long kRows = 1000000;

// A field of /proc/self/status in bytes ("VmRSS", "VmHWM").
double StatusBytes(const char* field) {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return -1;
  const QByteArray prefix = QByteArray(field) + ':';
  for (const QByteArray& line : status.readAll().split('\n')) {
    if (line.startsWith(prefix))
      return line.mid(prefix.size()).trimmed().split(' ')[0].toDouble() * 1024;
  }
  return -1;
}

// Sets the peak resident memory back to the present one.
bool ResetPeak() {
  QFile clear(QStringLiteral("/proc/self/clear_refs"));
  return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
}

// Row i as the read phase would take it from a table of customers; every tenth note is NULL.
append::Row RowNumber(long long i) {
  return {adodb::Value::Text(QString::number(i)),
          adodb::Value::Text(QStringLiteral("Customer %1").arg(i)),
          adodb::Value::Text(QString::number(double(i) * 1.25, 'f', 2)),
          adodb::Value::Text(QStringLiteral("2024-01-02T03:04:05")),
          i % 10 == 0 ? adodb::Value::Null()
                      : adodb::Value::Text(QStringLiteral("a note on %1").arg(i))};
}

double TextBytes(const append::Row& row) {
  double bytes = 0;
  for (const adodb::Value& value : row) bytes += value.text.toUtf8().size();
  return bytes;
}

struct Measured {
  double textBytes = 0;
  double peakGrowth = 0;
  double bufferBytes = 0;
};

// In the child: fills the buffer and measures.
Measured FillAndMeasure() {
  Measured measured;
  malloc_trim(0);
  if (!ResetPeak()) return {-1, -1, -1};
  const double before = StatusBytes("VmRSS");
  append::RowBuffer buffer;
  for (long long i = 0; i < kRows; ++i) {
    const append::Row row = RowNumber(i);
    measured.textBytes += TextBytes(row);
    buffer.Append(row);
  }
  measured.peakGrowth = StatusBytes("VmHWM") - before;
  measured.bufferBytes = double(buffer.CapacityBytes());
  return measured;
}

Measured InChild() {
  int channel[2];
  if (pipe(channel) != 0) throw std::runtime_error("no pipe");
  const pid_t child = fork();
  if (child < 0) throw std::runtime_error("no child process");
  if (child == 0) {
    close(channel[0]);
    const Measured measured = FillAndMeasure();
    const ssize_t written = write(channel[1], &measured, sizeof measured);
    _exit(written == sizeof measured ? 0 : 1);
  }
  close(channel[1]);
  Measured measured;
  const ssize_t got = read(channel[0], &measured, sizeof measured);
  close(channel[0]);
  int status = 0;
  waitpid(child, &status, 0);
  if (got != sizeof measured || status != 0 || measured.peakGrowth < 0) {
    throw std::runtime_error("the measuring child failed");
  }
  return measured;
}

}  // namespace

void ReadPhaseMemory(Report& report) {
  const Measured measured = InChild();
  const double allowed = 2 * measured.textBytes + 64.0 * kRows;
  report.Add({QStringLiteral("2. row buffer of 1,000,000 rows x 5 values: peak memory vs text"),
              Megabytes(measured.peakGrowth), Megabytes(measured.textBytes),
              measured.peakGrowth / measured.textBytes, allowed / measured.textBytes,
              QStringLiteral("growth of the peak resident memory while the rows are buffered "
                             "(the buffer's blocks alone: %1; %2 bytes of text a row); the "
                             "target, 2 x the text + 64 bytes a row, is %3 here")
                  .arg(Megabytes(measured.bufferBytes))
                  .arg(measured.textBytes / kRows, 0, 'f', 1)
                  .arg(Megabytes(allowed))});
}

}  // namespace bench
