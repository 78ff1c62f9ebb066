// How a job on the command line shows its boxes and its progress: messages on standard error,
// questions answered by their option, asked on a terminal, refused without one.

#include <gtest/gtest.h>

#include <csignal>

#include "cli/engine_jobs.h"
#include "cli/job_summary.h"
#include "cli/progress_line.h"
#include "cli/stop_on_interrupt.h"
#include "cli/terminal_dialogs.h"
#include "shell/error_report.h"
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

// A report is one line without the window's location and e-mail lines. The first that ends the
// job stops it, and what follows from the same cause is left out.
TEST_F(JobTerminal, AReportIsOneLineAndTheFirstThatEndsTheJobSilencesItsFollowUps) {
  const ScriptedTerminal nobody(false);
  cli::TerminalDialogs boxes(console, "--overwrite", false, QStringLiteral("Joined"));
  int stops = 0;
  boxes.SetJob(
      [](const QString& location, int line) {
        return cli::ReportWords{location + QStringLiteral(" at ") + QString::number(line),
                                line != 148};
      },
      [&] { ++stops; });
  EXPECT_EQ(dialogs::InputBox("Enter name of new table: "), "Joined");
  shell::ReportApplicationError("Row refused.\r\nBy a trigger.", "Form3.PushButton2_Click", 148);
  EXPECT_EQ(stops, 0);
  shell::ReportApplicationError("Invalid object name 'T'.", "Form2.PushButton2_Click", 110);
  dialogs::MsgBox("Object variable or With block variable not set");
  shell::ReportApplicationError("Invalid column name.", "Form2.PushButton2_Click", 112);
  EXPECT_EQ(Ask(boxes), dialogs::vbNo);
  EXPECT_EQ(dialogs::InputBox("Enter name of new table: "), QString());
  EXPECT_EQ(err,
            "ombrelia: Form3.PushButton2_Click at 148: Row refused. By a trigger.\n"
            "ombrelia: Form2.PushButton2_Click at 110: Invalid object name 'T'.\n");
  EXPECT_EQ(out, QString());
  EXPECT_EQ(stops, 1);
  EXPECT_EQ(boxes.Reports(), 2);
  EXPECT_FALSE(boxes.Declined());
  EXPECT_TRUE(nobody.Prompts().isEmpty());
  EXPECT_EQ(cli::ExitCodeOf(boxes), cli::kRefused);
}

TEST_F(JobTerminal, ExitCodeOfAJob) {
  const ScriptedTerminal nobody(false);
  {
    cli::TerminalDialogs boxes(console, "--yes", false);
    dialogs::MsgBox("Tables do not have same number of fields (columns).");
    EXPECT_EQ(cli::ExitCodeOf(boxes), cli::kRefused);
  }
  {
    cli::TerminalDialogs boxes(console, "--yes", false);
    dialogs::MsgBox("No records in table Empty.");
    EXPECT_EQ(cli::ExitCodeOf(boxes), cli::kDone);
    EXPECT_EQ(cli::ExitCodeOf(boxes, true), cli::kInterrupted);
    EXPECT_EQ(cli::kInterrupted, 130);
  }
  // The closing messages give way to the summary.
  const qsizetype before = err.size();
  cli::TerminalDialogs boxes(console, "--overwrite", true);
  dialogs::MsgBox("Stopped. 3 rows appended.");
  dialogs::MsgBox("The connection to Database #2 was lost.\r\n\r\n3 rows were appended before");
  EXPECT_TRUE(boxes.Closed());
  EXPECT_EQ(Ask(boxes), dialogs::vbYes);
  dialogs::MsgBox("Done.\r\n\r\n1 row appended, 1 refused by the server:\r\nNo.");
  EXPECT_EQ(err.mid(before),
            "Such table exist already.\n\nDo you want to overwrite it? Yes "
            "(--overwrite)\n");
  EXPECT_EQ(cli::ExitCodeOf(boxes), cli::kDone);
}

TEST_F(JobTerminal, TheSummaryOfAJob) {
  append::AppendEngine::Outcome outcome{1200, 3, 0, 0, false, {}, {}, 5000, {}, {}};
  EXPECT_EQ(cli::AppendSummary(outcome, "db2.dbo.Orders", 2500),
            "1200 rows appended to db2.dbo.Orders, 3 refused, in 2.5 s (480 rows/s); the table "
            "holds 5000 rows.");
  outcome = {1, 0, 0, 0, true, {}, {}, {}, {}, {}};
  EXPECT_EQ(cli::AppendSummary(outcome, "db2.Orders", 0),
            "Stopped: 1 row appended to db2.Orders, in 0.0 s (1000 rows/s).");
  outcome = {5, 0, 95, 2, false, {}, {}, {}, {}, {}};
  EXPECT_EQ(cli::AppendSummary(outcome, "db2.dbo.T", 1000),
            "5 rows appended to db2.dbo.T, 95 not written (the connection to Database #2 was "
            "lost), in 1.0 s (5 rows/s).");
  EXPECT_EQ(cli::JoinSummary("db1.dbo.J", 3, 400), "Joined into db1.dbo.J: 3 rows, in 0.4 s.");
  EXPECT_EQ(cli::JoinSummary("db1.dbo.J", std::nullopt, 1), "Joined into db1.dbo.J, in 0.0 s.");
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

// Whether to append by name, on a terminal: Enter appends by name; refused without one.
TEST_F(JobTerminal, TheColumnOrderIsAskedOnATerminalOrRefused) {
  const auto ask = [] { return dialogs::MsgBox("By name?", dialogs::vbYesNoCancel); };
  {
    const ScriptedTerminal nobody(false);
    cli::TerminalDialogs boxes(console, "--yes", true);
    EXPECT_EQ(ask(), dialogs::vbCancel);
    EXPECT_TRUE(err.endsWith("refused. --by-name or --by-position answers.\n"));
  }
  ScriptedTerminal person(true);
  cli::TerminalDialogs boxes(console, "--yes", false);
  for (const auto& [typed, answer] : {std::pair("", dialogs::vbYes), std::pair("n", dialogs::vbNo),
                                      std::pair("c", dialogs::vbCancel)}) {
    person.Answer(typed);
    EXPECT_EQ(ask(), answer) << typed;
  }
  EXPECT_EQ(person.Prompts().value(0), "By name? [Y/n/c] ");
  EXPECT_TRUE(boxes.Declined());
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
  // The usual handling: the program's own ending, which removes its private files.
  const auto usual = std::signal(SIGINT, SIG_DFL);
  std::signal(SIGINT, usual);
  {
    cli::StopOnInterrupt interrupt(console, [&] { ++stops; });
    interrupt.Look();
    EXPECT_EQ(stops, 0);
    std::raise(SIGINT);
    interrupt.Look();
    interrupt.Look();
    EXPECT_EQ(stops, 1);
    EXPECT_EQ(err, "Stopping; Ctrl-C again ends the program at once.\n");
    EXPECT_EQ(std::signal(SIGINT, usual), usual);  // the next Ctrl-C ends the program
  }
  EXPECT_EQ(std::signal(SIGINT, usual), usual);
}

}  // namespace
