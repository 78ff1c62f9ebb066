#include "cli/terminal_dialogs.h"

#include "cli/report_text.h"
#include "platform/desktop/terminal.h"

namespace cli {
namespace {

const QString kReportTitle = QStringLiteral("Application Error");

bool IsYes(const QString& answer) {
  const QString word = answer.trimmed().toLower();
  return word == QLatin1String("y") || word == QLatin1String("yes");
}

// Yes (or Enter) by name, No by position; anything else appends nothing.
int ColumnOrderOf(const QString& answer) {
  const QString word = answer.trimmed().toLower();
  if (word.isEmpty() || IsYes(word)) return dialogs::vbYes;
  if (word == QLatin1String("n") || word == QLatin1String("no")) return dialogs::vbNo;
  return dialogs::vbCancel;
}

QString TerminalLines(const QString& text) {
  QString lines = text;
  return lines.replace(QLatin1String("\r\n"), QLatin1String("\n"));
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

void TerminalDialogs::SetJob(DescribeReport describe, std::function<void()> stop) {
  describe_ = std::move(describe);
  stop_ = std::move(stop);
}

// After a report that ended the job, what the engine still shows follows from the same cause.
int TerminalDialogs::MsgBox(const QString& box, int flags, const QString& title) {
  const QString text = Reworded(box);
  if ((flags & 7) == dialogs::vbYesNoCancel) {
    return failed_ ? dialogs::vbCancel : ColumnOrderQuestion(text);
  }
  const bool question = (flags & 7) == dialogs::vbYesNo;
  if (failed_) return question ? dialogs::vbNo : dialogs::vbOK;
  if (question) return Question(text);
  if (title == kReportTitle) {
    Report(text);
  } else if (!IsClosingMessage(text)) {
    if (text.startsWith(QLatin1String("No records in table "))) saidEmpty_ = true;
    console_.Message(text);
  }
  return dialogs::vbOK;
}

QString TerminalDialogs::Reworded(const QString& text) const {
  for (const auto& [start, words] : rewordings_) {
    if (text.startsWith(start)) return words + text.mid(start.size());
  }
  return text;
}

void TerminalDialogs::Report(const QString& text) {
  ++reports_;
  const ReportText report = ParseReport(text);
  const ReportWords words = describe_ ? describe_(report.location, report.line)
                                      : ReportWords{QStringLiteral("the job failed"), true};
  console_.Failure(words.what, report.description);
  if (!words.endsJob) return;
  failed_ = true;
  if (stop_) stop_();
}

// "Done." (alone, or with the rows refused), "Stopped." and the append's lost connection: the
// command's summary says what they say.
bool TerminalDialogs::IsClosingMessage(const QString& text) {
  const bool done = text.startsWith(QLatin1String("Done."));
  saidDone_ = saidDone_ || done;
  const bool lost = text.startsWith(QLatin1String("The connection to Database #")) &&
                    text.contains(QLatin1String(" was lost.\r\n"));
  const bool closing = done || lost || text.startsWith(QLatin1String("Stopped.")) ||
                       text.startsWith(QLatin1String("Incomplete."));
  closed_ = closed_ || closing;
  return closing;
}

// Nothing is changed on a question nobody could answer. --by-position answers the question
// whether to append by position; --by-name cannot, the columns not matching by name.
int TerminalDialogs::Question(const QString& text) {
  if (ownAnswer_ && text.startsWith(ownAnswer_->start)) return OwnAnswerQuestion(text);
  if (answered_ || columnOrder_ == dialogs::vbNo) {
    const QString option = answered_ ? answerOption_ : QStringLiteral("--by-position");
    console_.Message(text + QStringLiteral(" Yes (") + option + QLatin1Char(')'));
    return dialogs::vbYes;
  }
  if (columnOrder_ == dialogs::vbYes) {
    console_.Message(text);
    console_.Message(QStringLiteral("The columns do not match by name: refused (--by-name). ") +
                     answerOption_ + QStringLiteral(" or --by-position appends by position."));
    declined_ = true;
    return dialogs::vbNo;
  }
  if (terminal::InputIsTerminal()) {
    console_.Flush();
    const std::optional<QString> answer =
        terminal::Ask(TerminalLines(text) + QStringLiteral(" [y/N] "));
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

// A question --yes does not answer: y or n on a terminal; otherwise, or any other answer, the
// job ends with nothing changed, the options that answer it named.
int TerminalDialogs::OwnAnswerQuestion(const QString& text) {
  if (terminal::InputIsTerminal()) {
    console_.Flush();
    const std::optional<QString> typed =
        terminal::Ask(TerminalLines(text) + QStringLiteral(" [y/n] "));
    const QString word = typed.value_or(QString()).trimmed().toLower();
    if (IsYes(word)) return dialogs::vbYes;
    if (word == QLatin1String("n") || word == QLatin1String("no")) return dialogs::vbNo;
  } else {
    console_.Message(text);
    console_.Message(QStringLiteral("No terminal to answer on: refused. ") + ownAnswer_->options);
  }
  declined_ = true;
  return dialogs::vbCancel;
}

int TerminalDialogs::ColumnOrderQuestion(const QString& text) {
  if (columnOrder_) {
    const bool byName = *columnOrder_ == dialogs::vbYes;
    console_.Message(text + (byName ? QStringLiteral(" Yes (--by-name)")
                                    : QStringLiteral(" No (--by-position)")));
    return *columnOrder_;
  }
  int answer = dialogs::vbCancel;
  if (terminal::InputIsTerminal()) {
    console_.Flush();
    const std::optional<QString> typed =
        terminal::Ask(TerminalLines(text) + QStringLiteral(" [Y/n/c] "));
    if (typed) answer = ColumnOrderOf(*typed);
  } else {
    console_.Message(text);
    console_.Message(
        QStringLiteral("No terminal to answer on: refused. --by-name or --by-position answers."));
  }
  if (answer == dialogs::vbCancel) declined_ = true;
  return answer;
}

QString TerminalDialogs::InputBox(const QString& prompt, const QString&, const QString&) {
  if (failed_) return QString();
  if (typed_) return *typed_;
  return terminal::Ask(prompt).value_or(QString());
}

}  // namespace cli
