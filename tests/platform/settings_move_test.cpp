// Moving a section of settings from an earlier store: every value arrives, a newer value is never
// replaced by an older one, and the earlier copy goes only once the new one is written.

#include "platform/desktop/settings_move.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "support/qt_printers.h"

namespace {

using Values = QMap<QString, QString>;

void Put(QSettings& store, const QString& section, const Values& values) {
  store.beginGroup(section);
  for (auto value = values.begin(); value != values.end(); ++value) {
    store.setValue(value.key(), value.value());
  }
  store.endGroup();
  store.sync();
}

Values Section(const QString& file, const QString& section) {
  QSettings store(file, QSettings::IniFormat);
  store.beginGroup(section);
  Values values;
  for (const QString& key : store.allKeys()) values[key] = store.value(key).toString();
  return values;
}

struct MoveCase {
  const char* name;
  Values earlier;  // the section in the earlier store
  Values now;      // the section in the store read now
  Values moved;    // the section in the store read now, after the move
  Values left;     // the section in the earlier store, after the move
};

}  // namespace

TEST(SettingsMove, EveryValueArrivesANewerOneStaysAndTheEarlierCopyGoesWhenAlike) {
  const MoveCase cases[] = {
      {"nothing earlier", {}, {{"Server", "s1"}}, {{"Server", "s1"}}, {}},
      {"all earlier",
       {{"Server", "s1"}, {"User", "ann"}, {"Port", ""}},
       {},
       {{"Server", "s1"}, {"User", "ann"}, {"Port", ""}},
       {}},
      {"some newer",
       {{"Server", "old"}, {"User", "ann"}},
       {{"Server", "new"}},
       {{"Server", "new"}, {"User", "ann"}},
       {{"Server", "old"}}},
      {"alike", {{"Server", "s1"}}, {{"Server", "s1"}}, {{"Server", "s1"}}, {}},
  };
  for (const MoveCase& c : cases) {
    SCOPED_TRACE(c.name);
    QTemporaryDir folder;
    const QString earlierFile = folder.filePath("earlier.ini");
    const QString nowFile = folder.filePath("now.ini");
    {
      QSettings earlier(earlierFile, QSettings::IniFormat);
      QSettings now(nowFile, QSettings::IniFormat);
      Put(earlier, "Ombrelia", c.earlier);
      Put(earlier, "Other", {{"Kept", "yes"}});
      Put(now, "Ombrelia", c.now);
      EXPECT_EQ(settings_move::MoveSection(earlier, now, "Ombrelia"), std::nullopt);
    }
    EXPECT_EQ(Section(nowFile, "Ombrelia"), c.moved);
    EXPECT_EQ(Section(earlierFile, "Ombrelia"), c.left);
    EXPECT_EQ(Section(earlierFile, "Other"), (Values{{"Kept", "yes"}}));
    EXPECT_EQ(QSettings(earlierFile, QSettings::IniFormat).childGroups().contains("Ombrelia"),
              !c.left.isEmpty());
  }
}

TEST(SettingsMove, AStoreThatCannotBeWrittenLeavesTheEarlierCopyWhole) {
  QTemporaryDir folder;
  const QString earlierFile = folder.filePath("earlier.ini");
  QFile notAFolder(folder.filePath("file"));
  ASSERT_TRUE(notAFolder.open(QIODevice::WriteOnly));
  notAFolder.close();
  QSettings earlier(earlierFile, QSettings::IniFormat);
  Put(earlier, "Ombrelia", {{"Server", "s1"}, {"User", "ann"}});
  QSettings now(folder.filePath("file/now.ini"), QSettings::IniFormat);

  const std::optional<QString> failure = settings_move::MoveSection(earlier, now, "Ombrelia");

  ASSERT_TRUE(failure);
  EXPECT_TRUE(failure->contains(now.fileName())) << failure->toStdString();
  EXPECT_EQ(Section(earlierFile, "Ombrelia"), (Values{{"Server", "s1"}, {"User", "ann"}}));
}
