#pragma once

// The rows the target refused during one append run: how many, and the first few distinct
// messages of the server, for the closing message.

#include <QString>
#include <QStringList>

namespace append {

class RefusedRows {
 public:
  static constexpr int kMessagesShown = 3;

  void Add(const QString& message);
  qint64 Count() const { return count_; }
  const QStringList& Messages() const { return messages_; }

  // "Done." when no row was refused; otherwise "Done.", a blank line, how many rows were
  // appended and refused, and the messages, one a line. A run that was stopped says
  // "Stopped." instead, and how many rows were appended even when none was refused.
  QString ClosingMessage(qint64 appended, bool stopped = false) const;
  // After the connection to the target (Database #`database`) was lost: how many rows were
  // appended before, that the `notWritten` others were not, and the refusals as above.
  QString LostConnectionMessage(qint64 appended, qint64 notWritten, int database) const;

 private:
  qint64 count_ = 0;
  QStringList messages_;
};

}  // namespace append
