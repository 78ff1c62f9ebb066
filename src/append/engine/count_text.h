#pragma once

// Counts as the append's messages give them, whatever the user's language: "19,998" and
// "19,998 rows" ("1 row").

#include <QLocale>
#include <QString>

namespace append {

inline QString CountText(qint64 count) {
  return QLocale(QLocale::English, QLocale::UnitedStates).toString(count);
}

inline QString RowsText(qint64 count) {
  return CountText(count) + (count == 1 ? QStringLiteral(" row") : QStringLiteral(" rows"));
}

}  // namespace append
