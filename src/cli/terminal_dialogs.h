#pragma once

// The boxes of a job on the command line. An error report is one line, "ombrelia: <what
// failed>: <the server's text>", without the window's location and e-mail lines; a report that
// ends the job stops it, and what the engine shows after it (follow-up errors of the same cause)
// is left out. The closing message of a job ("Done.", "Stopped.", or the append's lost
// connection) gives way to the command's summary. Other messages are written as text; a
// question is answered by its option when that was given, else asked on the terminal, and
// refused when there is no terminal; the input box takes the text the command was given. The
// one question of three answers, whether to append by name, by position or not at all, is
// answered by --by-name or --by-position, which --yes does not replace.

#include <QList>
#include <QPair>
#include <QString>
#include <functional>
#include <optional>

#include "cli/console.h"
#include "platform/desktop/dialogs.h"

namespace cli {

// What a report is about, as its line says it, and whether the job ends with it.
struct ReportWords {
  QString what;  // "cannot append Orders to db2.dbo.Orders"
  bool endsJob = true;
};

class TerminalDialogs : public dialogs::Backend {
 public:
  // Words for a report at `location` ("Form3.PushButton2_Click") and numbered `line`.
  using DescribeReport = std::function<ReportWords(const QString& location, int line)>;

  // `answerOption` is the option that answers the job's questions with yes ("--overwrite"),
  // `answered` whether it was given; `typed` is what the input box gives.
  TerminalDialogs(Console& console, QString answerOption, bool answered,
                  std::optional<QString> typed = std::nullopt);
  ~TerminalDialogs() override;  // the window's boxes again
  TerminalDialogs(const TerminalDialogs&) = delete;
  TerminalDialogs& operator=(const TerminalDialogs&) = delete;

  // How reports are worded, and how the job is stopped after one that ends it.
  void SetJob(DescribeReport describe, std::function<void()> stop);
  // How --by-name (dialogs::vbYes) or --by-position (dialogs::vbNo) answered the question of
  // matching the columns; nothing when neither was given.
  void AnswerColumnOrder(std::optional<int> answer) { columnOrder_ = answer; }
  // The question that starts with `start` is not answered by the answer option: it is asked on
  // a terminal, and refused without one, `options` saying which options answer it.
  void OwnAnswer(const QString& start, const QString& options) {
    ownAnswer_ = OwnAnswerOf{start, options};
  }
  // A message or question that begins with `start` is told with `words` in its place: the
  // window's words, with what the command line knows besides (the table, the counts).
  void Reword(const QString& start, const QString& words) {
    rewordings_ << qMakePair(start, words);
  }

  int MsgBox(const QString& text, int flags, const QString& title) override;
  QString InputBox(const QString& prompt, const QString& title,
                   const QString& defaultText) override;

  // How many error reports were shown; whether one ended the job; whether a question was
  // answered No; whether the job said "Done.", that its source was empty, or any closing
  // message.
  int Reports() const { return reports_; }
  bool Failed() const { return failed_; }
  bool Declined() const { return declined_; }
  bool SaidDone() const { return saidDone_; }
  bool SaidEmpty() const { return saidEmpty_; }
  bool Closed() const { return closed_; }

 private:
  int Question(const QString& text);
  int ColumnOrderQuestion(const QString& text);
  int OwnAnswerQuestion(const QString& text);
  void Report(const QString& text);
  bool IsClosingMessage(const QString& text);
  QString Reworded(const QString& text) const;

  Console& console_;
  QString answerOption_;
  bool answered_;
  std::optional<QString> typed_;
  std::optional<int> columnOrder_;
  struct OwnAnswerOf {
    QString start;
    QString options;
  };
  std::optional<OwnAnswerOf> ownAnswer_;
  QList<QPair<QString, QString>> rewordings_;
  DescribeReport describe_;
  std::function<void()> stop_;
  int reports_ = 0;
  bool failed_ = false;
  bool declined_ = false;
  bool saidDone_ = false;
  bool saidEmpty_ = false;
  bool closed_ = false;
};

}  // namespace cli
