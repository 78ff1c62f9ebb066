#include <gtest/gtest.h>

#include "platform/error.h"
#include "shell/error_report.h"
#include "shell/trap.h"
#include "support/scripted_dialogs.h"

TEST(ErrorReport, ShowsTheStandardBoxWithDescriptionLocationAndLine) {
  ScriptedDialogs dialogs;
  shell::ReportApplicationError("Table missing", "Form2.PushButton2_Click", 112);
  ASSERT_EQ(dialogs.Boxes().size(), 1u);
  EXPECT_EQ(dialogs.Boxes()[0].text,
            QStringLiteral("Table missing\r\nin Kestrava2021/08/31.Form2.PushButton2_Click at line "
                           "112\r\rPlease email screenshot of this message to ") +
                QLatin1String(shell::kSupportAddress));
  EXPECT_EQ(dialogs.Boxes()[0].flags, 48);
  EXPECT_EQ(dialogs.Boxes()[0].title, "Application Error");
}

TEST(Trap, ReportsAFailingStatementWithItsLineAndRunsTheNext) {
  ScriptedDialogs dialogs;
  QStringList ran;
  shell::Trap on("Form9.Something_Click");
  on(100, [&] { ran << "100"; });
  on(102, [&] { throw platform::Error("Broken"); });
  on(104, [&] { ran << "104"; });
  EXPECT_EQ(ran, QStringList({"100", "104"}));
  ASSERT_EQ(dialogs.Texts().size(), 1);
  EXPECT_TRUE(
      dialogs.Texts()[0].startsWith("Broken\r\nin Kestrava2021/08/31.Form9.Something_Click "
                                    "at line 102\r\r"));
}

TEST(Trap, AFailingConditionIsReportedAndCountsAsHeld) {
  ScriptedDialogs dialogs;
  shell::Trap on("Form9.Form_Load");
  bool body = false;
  if (on.when(106, []() -> bool { throw std::runtime_error("no disk"); })) body = true;
  EXPECT_TRUE(body);
  EXPECT_FALSE(on.when(108, [] { return false; }));
  ASSERT_EQ(dialogs.Texts().size(), 1);
  EXPECT_TRUE(
      dialogs.Texts()[0].startsWith("no disk\r\nin Kestrava2021/08/31.Form9.Form_Load at "
                                    "line 106"));
}

TEST(Trap, NothingIsReportedWhenNothingFails) {
  ScriptedDialogs dialogs;
  shell::Trap on("Form9.Form_Load");
  int sum = 0;
  on(100, [&] { sum += 1; });
  if (on.when(102, [] { return true; })) on(104, [&] { sum += 2; });
  EXPECT_EQ(sum, 3);
  EXPECT_TRUE(dialogs.Boxes().empty());
}
