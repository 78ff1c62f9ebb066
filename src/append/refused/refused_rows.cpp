#include "append/refused/refused_rows.h"

namespace append {
namespace {

constexpr QLatin1String kLineBreak("\r\n");

QString RowsText(qint64 count) {
  return QString::number(count) + (count == 1 ? QStringLiteral(" row") : QStringLiteral(" rows"));
}

}  // namespace

void RefusedRows::Add(const QString& message) {
  ++count_;
  if (messages_.size() < kMessagesShown && !messages_.contains(message)) messages_ << message;
}

QString RefusedRows::LostConnectionMessage(qint64 appended, qint64 notWritten, int database) const {
  const auto were = [](qint64 count) {
    return count == 1 ? QStringLiteral(" was") : QStringLiteral(" were");
  };
  QString text = QStringLiteral("The connection to Database #%1 was lost.").arg(database) +
                 kLineBreak + kLineBreak + RowsText(appended) + were(appended) +
                 QStringLiteral(" appended before the connection was lost; the other ") +
                 RowsText(notWritten) + were(notWritten) + QStringLiteral(" not written.");
  if (count_ == 0) return text;
  text += kLineBreak;
  text += kLineBreak;
  text += QString::number(count_) + QStringLiteral(" refused by the server before:");
  for (const QString& message : messages_) {
    text += kLineBreak;
    text += message;
  }
  return text;
}

QString RefusedRows::ClosingMessage(qint64 appended, bool stopped) const {
  QString text = stopped ? QStringLiteral("Stopped.") : QStringLiteral("Done.");
  if (count_ == 0) {
    return stopped ? text + QLatin1Char(' ') + RowsText(appended) + QStringLiteral(" appended.")
                   : text;
  }
  text += kLineBreak;
  text += kLineBreak;
  text += RowsText(appended) + QStringLiteral(" appended, ") + QString::number(count_) +
          QStringLiteral(" refused by the server:");
  for (const QString& message : messages_) {
    text += kLineBreak;
    text += message;
  }
  return text;
}

}  // namespace append
