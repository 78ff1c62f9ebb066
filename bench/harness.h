#pragma once

// A small harness: wall-clock timings taken side by side, and a table of the figures, their
// ratios and the targets they are held to.

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

namespace bench {

// Seconds one call of `work` takes.
double Seconds(const std::function<void()>& work);

// The medians of `runs` timings of two pieces of work, timed in turns (ours, then the
// baseline, then ours again...) so that whatever else the machine does falls on both alike.
// `prepare`, when given, runs untimed before every single timing.
struct SideBySide {
  double ours = 0;
  double baseline = 0;
  double Ratio() const { return ours / baseline; }
};
SideBySide TimeSideBySide(int runs, const std::function<void()>& ours,
                          const std::function<void()>& baseline,
                          const std::function<void()>& prepare = {});

double Median(std::vector<double> values);

// One line of the report.
struct Figure {
  QString item;
  QString ours;
  QString baseline;
  std::optional<double> ratio;
  // The largest ratio allowed; none when the figure is only reported.
  std::optional<double> target;
  QString note;
};

QString Milliseconds(double seconds);
QString Microseconds(double seconds);
QString Megabytes(double bytes);

// Collects the figures and prints them as a table.
class Report {
 public:
  void Add(Figure figure);
  // Prints the table to standard output; true when every target is met.
  bool Print() const;

 private:
  std::vector<Figure> figures_;
};

}  // namespace bench
