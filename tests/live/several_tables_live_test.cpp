// Several tables chosen on the append page, run as the page runs them against a live SQL Server:
// they go in the order of their foreign keys whatever the list's order, into tables that exist
// or into new ones made whole, whose foreign keys come once every table holds its rows. Without
// a server named by OMBRELIA_TEST_SERVER it skips.

#include <gtest/gtest.h>

#include "append/page/append_progress.h"
#include "controls/progress_bar.h"
#include "copy/window/many_tables.h"
#include "platform/desktop/dialogs.h"
#include "shell/page.h"
#include "support/live_append.h"
#include "support/read_rows.h"
#include "support/scripted_dialogs.h"

namespace {

class SeveralTablesLive : public LiveAppend {
 protected:
  void TearDown() override {
    for (const ConnectionProfile* profile : {&profile1, &profile2}) {
      if (profile->Database.isEmpty()) continue;
      const std::unique_ptr<adodb::Connection> connection = Connect(*profile);
      for (const QString& table : {child_, parent_}) {
        connection->ExecuteNoRecords("DROP TABLE IF EXISTS [" + table + "]");
      }
    }
  }

  void MakeSources() {
    const std::unique_ptr<adodb::Connection> source = Connect(profile1);
    source->ExecuteNoRecords("CREATE TABLE [" + parent_ + "] (id int NOT NULL PRIMARY KEY)");
    source->ExecuteNoRecords("CREATE TABLE [" + child_ + "] (id int NOT NULL PRIMARY KEY, " +
                             "parent int NOT NULL CONSTRAINT [FK_" + child_ + "] REFERENCES [" +
                             parent_ + "] (id))");
    source->ExecuteNoRecords("INSERT INTO [" + parent_ + "] VALUES (1), (2)");
    source->ExecuteNoRecords("INSERT INTO [" + child_ + "] VALUES (10, 1), (11, 2), (12, 2)");
  }

  // The children first in the list, as a user may choose them.
  void RunSeveral(bool create) {
    shell::Page page;
    ProgressBar bar;
    append::AppendProgress progress(page, bar);
    append::AppendRequest request{std::nullopt, std::nullopt, false, profile1,
                                  profile2,     false,        create};
    copy::ManyTables tables(request, {child_, parent_}, progress);
    tables.Run();
  }

  qint64 Count(const QString& sql) const {
    return ReadRows(*Connect(profile2)->Execute(sql)).at(0).at(0).text.toLongLong();
  }

  const QString child_ = LiveTable::UniqueName();
  const QString parent_ = LiveTable::UniqueName();
};

TEST_F(SeveralTablesLive, TheyGoParentsFirstIntoTablesThereOrMadeWholeWithTheirForeignKeys) {
  MakeSources();
  for (const bool create : {true, false}) {
    SCOPED_TRACE(create ? "into new tables" : "into the tables made before, emptied");
    if (!create) {
      const std::unique_ptr<adodb::Connection> target = Connect(profile2);
      target->ExecuteNoRecords("DELETE FROM [" + child_ + "]");
      target->ExecuteNoRecords("DELETE FROM [" + parent_ + "]");
    }
    ScriptedDialogs dialogs;
    RunSeveral(create);
    ASSERT_EQ(dialogs.Texts().size(), 1u) << dialogs.Texts().join("\n").toStdString();
    EXPECT_TRUE(dialogs.Texts()[0].startsWith("Done.")) << dialogs.Texts()[0].toStdString();
    EXPECT_EQ(Count("SELECT COUNT(*) FROM [" + parent_ + "]"), 2);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM [" + child_ + "]"), 3);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM sys.foreign_keys WHERE parent_object_id = OBJECT_ID(N'" +
                    child_ + "')"),
              1);
  }
  // Into new tables again, while the tables are there: the user is asked, and No leaves them
  // as they are, Cancel appends nothing.
  for (const int answer : {dialogs::vbNo, dialogs::vbCancel}) {
    ScriptedDialogs dialogs;
    dialogs.Answer(answer);
    RunSeveral(true);
    ASSERT_FALSE(dialogs.Texts().isEmpty());
    EXPECT_TRUE(dialogs.Texts()[0].contains(parent_ + " (2 rows)"))
        << dialogs.Texts()[0].toStdString();
    if (answer == dialogs::vbNo) {
      ASSERT_EQ(dialogs.Texts().size(), 2u) << dialogs.Texts().join("\n").toStdString();
      EXPECT_TRUE(
          dialogs.Texts()[1].contains(child_ + ": left as it is, " + child_ + " holds 3 rows"))
          << dialogs.Texts()[1].toStdString();
    } else {
      EXPECT_EQ(dialogs.Texts().size(), 1u) << dialogs.Texts().join("\n").toStdString();
    }
    EXPECT_EQ(Count("SELECT COUNT(*) FROM [" + parent_ + "]"), 2);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM [" + child_ + "]"), 3);
  }
}

}  // namespace
