#include "harness.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace bench {

double Seconds(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

SideBySide TimeSideBySide(int runs, const std::function<void()>& ours,
                          const std::function<void()>& baseline,
                          const std::function<void()>& prepare) {
  std::vector<double> oursTimes;
  std::vector<double> baselineTimes;
  for (int run = 0; run < runs; ++run) {
    if (prepare) prepare();
    oursTimes.push_back(Seconds(ours));
    if (prepare) prepare();
    baselineTimes.push_back(Seconds(baseline));
  }
  return {Median(oursTimes), Median(baselineTimes)};
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

QString Milliseconds(double seconds) {
  const double ms = seconds * 1000;
  return QString::number(ms, 'f', ms < 10 ? 3 : 1) + QStringLiteral(" ms");
}

QString Microseconds(double seconds) {
  return QString::number(seconds * 1e6, 'f', 2) + QStringLiteral(" us");
}

QString Megabytes(double bytes) {
  return QString::number(bytes / (1024.0 * 1024.0), 'f', 1) + QStringLiteral(" MiB");
}

void Report::Add(Figure figure) {
  figures_.push_back(std::move(figure));
}

namespace {

QString Verdict(const Figure& figure) {
  if (!figure.target) return QStringLiteral("reported");
  if (!figure.ratio) return QStringLiteral("no figure");
  return *figure.ratio <= *figure.target ? QStringLiteral("met") : QStringLiteral("MISSED");
}

bool Counts(const QString& verdict) {
  return verdict != QLatin1String("MISSED") && verdict != QLatin1String("no figure");
}

QStringList CellsOf(const Figure& figure) {
  return {figure.item,
          figure.ours,
          figure.baseline,
          figure.ratio ? QString::number(*figure.ratio, 'f', 3) : QStringLiteral("-"),
          figure.target ? QStringLiteral("<= ") + QString::number(*figure.target, 'g', 4)
                        : QStringLiteral("-"),
          Verdict(figure)};
}

void PrintRow(const QStringList& cells, const std::vector<qsizetype>& widths) {
  QString line = QStringLiteral("|");
  for (qsizetype i = 0; i < cells.size(); ++i) {
    line += QLatin1Char(' ') + cells[i].leftJustified(widths[size_t(i)]) + QStringLiteral(" |");
  }
  std::printf("%s\n", qPrintable(line));
}

// A Markdown table: a heading row, a rule, the rows, each column as wide as its widest cell.
void PrintTable(const std::vector<QStringList>& rows) {
  std::vector<qsizetype> widths(rows.front().size(), 0);
  for (const QStringList& row : rows) {
    for (qsizetype i = 0; i < row.size(); ++i) {
      widths[size_t(i)] = std::max(widths[size_t(i)], row[i].size());
    }
  }
  QStringList rule;
  for (qsizetype width : widths) rule << QString(width, QLatin1Char('-'));
  PrintRow(rows.front(), widths);
  PrintRow(rule, widths);
  for (size_t i = 1; i < rows.size(); ++i) PrintRow(rows[i], widths);
}

void PrintNotes(const std::vector<Figure>& figures) {
  std::printf("\n");
  for (const Figure& figure : figures) {
    if (!figure.note.isEmpty()) {
      std::printf("- %s: %s\n", qPrintable(figure.item), qPrintable(figure.note));
    }
  }
}

}  // namespace

// The figures in the order of their items ("1.", "2.", "3a." ...), whatever order they ran in.
bool Report::Print() const {
  std::vector<Figure> figures = figures_;
  std::stable_sort(figures.begin(), figures.end(),
                   [](const Figure& a, const Figure& b) { return a.item < b.item; });
  std::vector<QStringList> rows{{QStringLiteral("item"), QStringLiteral("ours"),
                                 QStringLiteral("baseline"), QStringLiteral("ratio"),
                                 QStringLiteral("target"), QStringLiteral("verdict")}};
  bool allMet = true;
  for (const Figure& figure : figures) {
    rows.push_back(CellsOf(figure));
    allMet = allMet && Counts(rows.back().back());
  }
  PrintTable(rows);
  PrintNotes(figures);
  std::fflush(stdout);
  return allMet;
}

}  // namespace bench
