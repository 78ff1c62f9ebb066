#include <gtest/gtest.h>

#include "shell/error_report.h"
#include "shell/trap.h"
#include "support/scripted_dialogs.h"

TEST(ErrorReport, TextHasDescriptionLocationLineAndAddress) {
  EXPECT_EQ(shell::ApplicationErrorText("Table missing", "Form2.PushButton2_Click", 112),
            QStringLiteral("Table missing\r\nin Kestrava2021/08/31.Form2.PushButton2_Click at line "
                           "112\r\rPlease email screenshot of this message to ") +
                QLatin1String(shell::kSupportAddress));
}
