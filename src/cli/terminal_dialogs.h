#pragma once

// The boxes of a job on the command line: a message is written to standard error as text (the
// standard error report keeps its text); a question is answered by its option when that was
// given, else asked on the terminal, and refused when there is no terminal; the input box
// takes the text the command was given.

#include <QString>
#include <optional>

#include "cli/console.h"
#include "platform/dialogs.h"

namespace cli {

class TerminalDialogs : public dialogs::Backend {
 public:
  // `answerOption` is the option that answers the job's questions with yes ("--overwrite"),
  // `answered` whether it was given; `typed` is what the input box gives.
  TerminalDialogs(Console& console, QString answerOption, bool answered,
                  std::optional<QString> typed = std::nullopt);
  ~TerminalDialogs() override;  // the window's boxes again
  TerminalDialogs(const TerminalDialogs&) = delete;
  TerminalDialogs& operator=(const TerminalDialogs&) = delete;

  int MsgBox(const QString& text, int flags, const QString& title) override;
  QString InputBox(const QString& prompt, const QString& title,
                   const QString& defaultText) override;

  // How many error reports were shown, whether a question was answered No, and whether the
  // job's closing message ("Done.", on its own or with what was refused) was shown.
  int Reports() const { return reports_; }
  bool Declined() const { return declined_; }
  bool SaidDone() const { return saidDone_; }

 private:
  int Question(const QString& text);

  Console& console_;
  QString answerOption_;
  bool answered_;
  std::optional<QString> typed_;
  int reports_ = 0;
  bool declined_ = false;
  bool saidDone_ = false;
};

}  // namespace cli
