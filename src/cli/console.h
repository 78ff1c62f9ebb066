#pragma once

// Where a command writes: results to standard output, everything else to standard error, and
// what its exit status means.

#include <QString>
#include <QTextStream>

namespace cli {

// The exit status of a command.
enum ExitCode : int {
  kDone = 0,           // done completely
  kRefused = 1,        // refused by a check or by the server, or done with refused rows
  kWrongUsage = 2,     // the command line itself is wrong
  kNotConnected = 3,   // a connection could not be opened
  kInterrupted = 130,  // stopped by Ctrl-C, as the shell counts a program ended by SIGINT
};

// The server's or driver's text on one line: its line breaks become blanks.
QString OneLine(const QString& text);

class Console {
 public:
  Console(QTextStream& out, QTextStream& err) : out_(out), err_(err) {}

  // One result, one line of standard output.
  void Result(const QString& line) { out_ << line << '\n'; }
  // A message, as the window would have shown it in a box; line breaks of the box become
  // line breaks of the terminal. Written at once, so it comes before any question, and on a
  // line of its own, below a progress line drawn in place.
  void Message(const QString& text);
  // One failure, one line: "ombrelia: <what failed>: <the server's own text>".
  void Failure(const QString& what, const QString& serverText);
  // Text for standard error as it stands (a progress line drawn in place).
  void Raw(const QString& text);
  void Flush() {
    out_ << Qt::flush;
    err_ << Qt::flush;
  }

 private:
  QTextStream& out_;
  QTextStream& err_;
  bool lineOpen_ = false;  // standard error's last line has no end yet
};

}  // namespace cli
