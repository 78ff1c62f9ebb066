// Several tables appended one after another against a live SQL Server (see live_server.h).

#include <gtest/gtest.h>

#include "append/page/append_progress.h"
#include "controls/progress_bar.h"
#include "copy/window/many_tables.h"
#include "shell/page.h"
#include "support/live_append.h"
#include "support/scripted_dialogs.h"
#include "support/value_printer.h"

using AppendLiveMany = LiveAppend;

TEST_F(AppendLiveMany, EachTableGoesIntoTheTableOfItsNameAndOneBoxTellsBoth) {
  const QString first = LiveTable::UniqueName();
  const QString second = LiveTable::UniqueName();
  const LiveTable source1(profile2, first, "id int, name nvarchar(20)");
  const LiveTable source2(profile2, second, "id int");
  const LiveTable target1(profile1, first, "id int, name nvarchar(20)");
  const LiveTable target2(profile1, second, "id int");
  source1.Execute("INSERT INTO [" + first + "] VALUES (1, N'Ελλάδα'), (2, NULL)");
  source2.Execute("INSERT INTO [" + second + "] VALUES (3)");

  ScriptedDialogs dialogs;
  shell::Page page;
  ProgressBar bar;
  append::AppendProgress progress(page, bar);
  append::AppendRequest request;
  request.profile1 = profile1;
  request.profile2 = profile2;
  copy::ManyTables tables(request, {first, second}, progress);
  tables.Run();

  EXPECT_EQ(target1.Contents("id"), source1.Contents("id"));
  EXPECT_EQ(target2.Contents("id"), source2.Contents("id"));
  EXPECT_EQ(dialogs.Texts(),
            QStringList({"Done.\r\n\r\n" + first + ": 2 rows appended to " + first + "\r\n" +
                         second + ": 1 row appended to " + second}));
}
