#include "append/engine/time_left.h"

#include <QLocale>

namespace append {

QString TimeLeft::Text(qint64 done, qint64 total, qint64 now) {
  if (!startedAt_) {
    startedAt_ = now;
    doneAtStart_ = done;
  }
  QString text = Grouped(done) + QStringLiteral(" of ") + Grouped(total) + QStringLiteral(" rows");
  const qint64 elapsed = now - *startedAt_;
  const qint64 paced = done - doneAtStart_;
  if (elapsed < kEstimateAfterMilliseconds || paced <= 0 || done >= total) return text;
  return text + QStringLiteral(", ") + AboutLeft((total - done) * elapsed / paced);
}

QString AboutLeft(qint64 milliseconds) {
  const qint64 seconds = (milliseconds + 999) / 1000;
  QString left;
  if (seconds < 100) {
    left = QString::number(seconds) + QStringLiteral(" s");
  } else if (seconds < 100 * 60) {
    left = QString::number((seconds + 30) / 60) + QStringLiteral(" min");
  } else {
    const qint64 minutes = (seconds + 30) / 60;
    left = QString::number(minutes / 60) + QStringLiteral(" h ") + QString::number(minutes % 60) +
           QStringLiteral(" min");
  }
  return QStringLiteral("about ") + left + QStringLiteral(" left");
}

QString Grouped(qint64 number) {
  static const QLocale english(QLocale::English, QLocale::UnitedStates);
  return english.toString(number);
}

}  // namespace append
