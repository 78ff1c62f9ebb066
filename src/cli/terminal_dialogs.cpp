#include "cli/terminal_dialogs.h"

#include "cli/report_text.h"
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

void TerminalDialogs::SetJob(DescribeReport describe, std::function<void()> stop) {
  describe_ = std::move(describe);
  stop_ = std::move(stop);
}

// After a report that ended the job, what the engine still shows follows from the same cause.
int TerminalDialogs::MsgBox(const QString& text, int flags, const QString& title) {
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
  const bool closing = done || lost || text.startsWith(QLatin1String("Stopped."));
  closed_ = closed_ || closing;
  return closing;
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
  if (failed_) return QString();
  if (typed_) return *typed_;
  return terminal::Ask(prompt).value_or(QString());
}

}  // namespace cli
