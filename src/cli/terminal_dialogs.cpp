#include "cli/terminal_dialogs.h"

#include "platform/terminal.h"

namespace cli {
namespace {

const QString kReportTitle = QStringLiteral("Application Error");

bool IsYes(const QString& answer) {
  const QString word = answer.trimmed().toLower();
  return word == QLatin1String("y") || word == QLatin1String("yes");
}

}  // namespace

TerminalDialogs::TerminalDialogs(Console& console, QString answerOption, bool answered,
                                 std::optional<QString> typed)
    : console_(console),
      answerOption_(std::move(answerOption)),
      answered_(answered),
      typed_(std::move(typed)) {
  dialogs::SetBackend(this);
}

TerminalDialogs::~TerminalDialogs() {
  dialogs::SetBackend(nullptr);
}

int TerminalDialogs::MsgBox(const QString& text, int flags, const QString& title) {
  if ((flags & 7) == dialogs::vbYesNo) return Question(text);
  if (title == kReportTitle) ++reports_;
  if (text.startsWith(QLatin1String("Done."))) saidDone_ = true;
  console_.Message(text);
  return dialogs::vbOK;
}

// Nothing is changed on a question nobody could answer.
int TerminalDialogs::Question(const QString& text) {
  if (answered_) {
    console_.Message(text + QStringLiteral(" Yes (") + answerOption_ + QLatin1Char(')'));
    return dialogs::vbYes;
  }
  if (terminal::InputIsTerminal()) {
    console_.Flush();
    QString question = text;
    question.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    const std::optional<QString> answer = terminal::Ask(question + QStringLiteral(" [y/N] "));
    if (answer && IsYes(*answer)) return dialogs::vbYes;
    declined_ = true;
    return dialogs::vbNo;
  }
  console_.Message(text);
  console_.Message(QStringLiteral("No terminal to answer on: refused. ") + answerOption_ +
                   QStringLiteral(" answers yes."));
  declined_ = true;
  return dialogs::vbNo;
}

QString TerminalDialogs::InputBox(const QString& prompt, const QString&, const QString&) {
  if (typed_) return *typed_;
  return terminal::Ask(prompt).value_or(QString());
}

}  // namespace cli
