#include "cli/closest_names.h"

#include <algorithm>
#include <vector>

namespace cli {
namespace {

// The edits (a letter inserted, deleted or replaced, or two neighbours swapped) that make one
// text the other: 'dts' is one edit from 'dst'.
qsizetype EditDistance(const QString& a, const QString& b) {
  const auto width = static_cast<std::size_t>(b.size()) + 1;
  std::vector<qsizetype> before(width), above(width), row(width);
  for (std::size_t j = 0; j < width; ++j) above[j] = static_cast<qsizetype>(j);
  for (qsizetype i = 1; i <= a.size(); ++i) {
    row[0] = i;
    for (qsizetype j = 1; j <= b.size(); ++j) {
      const auto at = static_cast<std::size_t>(j);
      row[at] = std::min(
          {above[at] + 1, row[at - 1] + 1, above[at - 1] + (a.at(i - 1) == b.at(j - 1) ? 0 : 1)});
      if (i > 1 && j > 1 && a.at(i - 1) == b.at(j - 2) && a.at(i - 2) == b.at(j - 1)) {
        row[at] = std::min(row[at], before[at - 2] + 1);
      }
    }
    std::swap(before, above);
    std::swap(above, row);
  }
  return above.back();
}

}  // namespace

QStringList ClosestNames(const QString& typed, const QStringList& names) {
  const QString wanted = typed.toLower();
  const qsizetype near = std::max<qsizetype>(1, wanted.size() / 3);
  std::vector<std::pair<qsizetype, QString>> found;
  for (const QString& name : names) {
    const QString lower = name.toLower();
    const qsizetype distance = EditDistance(wanted, lower);
    const bool within = wanted.size() >= 3 && lower.contains(wanted);
    if (distance > near && !within) continue;
    found.emplace_back(distance, name);
  }
  std::stable_sort(found.begin(), found.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  QStringList closest;
  for (const auto& [distance, name] : found) {
    if (closest.size() < 3) closest << name;
  }
  return closest;
}

QString DidYouMean(const QString& typed, const QStringList& names) {
  const QStringList closest = ClosestNames(typed, names);
  if (closest.isEmpty()) return QString();
  QStringList quoted;
  for (const QString& name : closest) quoted << QLatin1Char('\'') + name + QLatin1Char('\'');
  return QStringLiteral(" (did you mean %1?)").arg(quoted.join(QStringLiteral(" or ")));
}

}  // namespace cli
