// How a job on the command line shows its boxes and its progress: messages on standard error,
// questions answered by their option, asked on a terminal, refused without one.

#include <gtest/gtest.h>

#include <csignal>

#include "cli/engine_jobs.h"
#include "cli/progress_line.h"
#include "cli/stop_on_interrupt.h"
#include "cli/terminal_dialogs.h"
#include "support/qt_printers.h"
#include "support/scripted_terminal.h"

namespace {

const QString kOverwrite =
    QStringLiteral("Such table exist already.\r\n\r\nDo you want to overwrite it?");

class JobTerminal : public ::testing::Test {
 protected:
  static int Ask(cli::TerminalDialogs& boxes) {
    return boxes.MsgBox(kOverwrite, dialogs::vbYesNo + dialogs::vbDefaultButton2,
                        QStringLiteral("Information"));
  }

  QString out;
  QString err;
  QTextStream outStream{&out};
  QTextStream errStream{&err};
  cli::Console console{outStream, errStream};
};

TEST_F(JobTerminal, MessagesAndReportsGoToStandardErrorAsText) {
  const ScriptedTerminal nobody(false);
  cli::TerminalDialogs boxes(console, "--overwrite", false, QStringLiteral("Joined"));
  EXPECT_EQ(dialogs::MsgBox("Done."), dialogs::vbOK);
  dialogs::MsgBox(
      "Invalid object name 'T'.\r\nin Kestrava2021/08/31.Form2.PushButton2_Click at line "
      "110\r\rPlease email",
      dialogs::vbExclamation, "Application Error");
  EXPECT_EQ(dialogs::InputBox("Enter name of new table: "), "Joined");
  EXPECT_EQ(err,
            "Done.\nInvalid object name 'T'.\nin Kestrava2021/08/31.Form2.PushButton2_Click at "
            "line 110\n\nPlease email\n");
  EXPECT_EQ(out, QString());
  EXPECT_EQ(boxes.Reports(), 1);
  EXPECT_FALSE(boxes.Declined());
  EXPECT_TRUE(boxes.SaidDone());
  EXPECT_TRUE(nobody.Prompts().isEmpty());
  // Done, but with a report: refused.
  EXPECT_EQ(cli::ExitCodeOf(boxes), cli::kRefused);
}

TEST_F(JobTerminal, ExitCodeOfAJob) {
  const ScriptedTerminal nobody(false);
  {
    cli::TerminalDialogs boxes(console, "--yes", false);
    dialogs::MsgBox("Tables do not have same number of fields (columns).");
    EXPECT_EQ(cli::ExitCodeOf(boxes), cli::kRefused);
  }
  cli::TerminalDialogs boxes(console, "--overwrite", true);
  EXPECT_EQ(Ask(boxes), dialogs::vbYes);
  dialogs::MsgBox("Done.");
  EXPECT_EQ(cli::ExitCodeOf(boxes), cli::kDone);
}

TEST_F(JobTerminal, AQuestionIsAnsweredByItsOptionAskedOnATerminalOrRefused) {
  {
    const ScriptedTerminal nobody(false);
    cli::TerminalDialogs boxes(console, "--overwrite", true);
    EXPECT_EQ(Ask(boxes), dialogs::vbYes);
    EXPECT_TRUE(err.endsWith("Do you want to overwrite it? Yes (--overwrite)\n"));
    EXPECT_TRUE(nobody.Prompts().isEmpty());
  }
  {
    const ScriptedTerminal nobody(false);
    cli::TerminalDialogs boxes(console, "--overwrite", false);
    EXPECT_EQ(Ask(boxes), dialogs::vbNo);
    EXPECT_TRUE(boxes.Declined());
    EXPECT_TRUE(err.endsWith("No terminal to answer on: refused. --overwrite answers yes.\n"));
  }
  ScriptedTerminal person(true);
  cli::TerminalDialogs boxes(console, "--yes", false);
  person.Answer("y");
  EXPECT_EQ(Ask(boxes), dialogs::vbYes);
  person.Answer("");
  EXPECT_EQ(Ask(boxes), dialogs::vbNo);
  EXPECT_EQ(person.Prompts().value(0),
            "Such table exist already.\n\nDo you want to overwrite it? [y/N] ");
  EXPECT_TRUE(boxes.Declined());
  EXPECT_EQ(boxes.Reports(), 0);
}

TEST_F(JobTerminal, ProgressLineRedrawsInPlaceAtMostTenTimesASecond) {
  EXPECT_EQ(cli::ProgressLine::Text(1200, 5000, 3000), "1200 of 5000 rows, 400 rows/s, 10 s left");
  EXPECT_EQ(cli::ProgressLine::Text(5000, 5000, 2000), "5000 of 5000 rows, 2500 rows/s");
  EXPECT_EQ(cli::ProgressLine::Text(1, 10000, 1000), "1 of 10000 rows, 1 rows/s, 2 h 46 min left");
  EXPECT_EQ(cli::ProgressLine::Text(0, 10, 0), "0 of 10 rows");

  qint64 now = 0;
  cli::ProgressLine line(console, cli::ProgressLine::Mode::InPlace, [&] { return now; });
  line.Update(0, 1000);
  now = 50;
  line.Update(10, 1000);  // too soon: not drawn
  now = 1000;
  line.Update(100, 1000);
  console.Message("A row was refused.");  // below the line, which goes on on the next
  now = 2000;
  line.Update(1000, 1000);
  line.Finish();
  // Nine blanks cover the end of the longer line before.
  EXPECT_EQ(err,
            "\r0 of 1000 rows"
            "\r100 of 1000 rows, 100 rows/s, 9 s left\nA row was refused.\n"
            "\r1000 of 1000 rows, 500 rows/s" +
                QString(9, QLatin1Char(' ')) + "\n");
}

TEST_F(JobTerminal, ProgressIntoAFileIsALineASecondAndNothingUnlessAskedFor) {
  {
    const ScriptedTerminal nobody(false);
    EXPECT_EQ(cli::ProgressLine::ModeFor(false), cli::ProgressLine::Mode::Off);
    EXPECT_EQ(cli::ProgressLine::ModeFor(true), cli::ProgressLine::Mode::Lines);
  }
  {
    const ScriptedTerminal person(true);
    EXPECT_EQ(cli::ProgressLine::ModeFor(false), cli::ProgressLine::Mode::InPlace);
  }
  qint64 now = 0;
  cli::ProgressLine off(console, cli::ProgressLine::Mode::Off, [&] { return now; });
  off.Update(5, 10);
  off.Finish();
  EXPECT_EQ(err, QString());
  cli::ProgressLine lines(console, cli::ProgressLine::Mode::Lines, [&] { return now; });
  lines.Reading(7);
  now = 5000;  // the rate counts from here
  lines.Update(1, 4);
  now = 5500;
  lines.Update(2, 4);
  now = 6000;
  lines.Update(3, 4);
  lines.Update(4, 4);
  lines.Finish();
  EXPECT_EQ(err,
            "7 rows read\n1 of 4 rows\n3 of 4 rows, 3 rows/s, 1 s left\n4 of 4 rows, 4 rows/s\n");
}

TEST_F(JobTerminal, CtrlCAsksTheJobToStopOnceAndASecondOneIsTheUsualOne) {
  int stops = 0;
  {
    cli::StopOnInterrupt interrupt(console, [&] { ++stops; });
    interrupt.Look();
    EXPECT_EQ(stops, 0);
    std::raise(SIGINT);
    interrupt.Look();
    interrupt.Look();
    EXPECT_EQ(stops, 1);
    EXPECT_EQ(err, "Stopping; Ctrl-C again ends the program at once.\n");
    EXPECT_EQ(std::signal(SIGINT, SIG_DFL), SIG_DFL);  // the next Ctrl-C ends the program
  }
  EXPECT_EQ(std::signal(SIGINT, SIG_DFL), SIG_DFL);
}

}  // namespace
