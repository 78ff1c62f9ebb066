// The per-user settings store: private file, values kept as text, defaults for missing keys.

#include "platform/desktop/settings.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QFile>

#include "support/temp_settings.h"

namespace {

const QString kApp = QStringLiteral("Korvath");
const QString kSection = QStringLiteral("Ombrelia");

unsigned PermissionBits(const QString& path) {
  struct stat status {};
  if (stat(QFile::encodeName(path).constData(), &status) != 0) return 0;
  return status.st_mode & 0777u;
}

}  // namespace

TEST(Settings, FileIsReadableAndWritableByItsOwnerOnly) {
  TempSettings folder;
  settings::SaveSetting(kApp, kSection, QStringLiteral("Password"), QStringLiteral("pa;ss}"));
  const QString path = settings::FilePath(kApp);
  EXPECT_TRUE(path.startsWith(folder.Folder()));
  EXPECT_EQ(PermissionBits(path), 0600u);
}

TEST(Settings, AWiderFileIsMadePrivateAtTheNextSave) {
  TempSettings folder;
  settings::SaveSetting(kApp, kSection, QStringLiteral("Server"), QStringLiteral("a"));
  const QString path = settings::FilePath(kApp);
  ASSERT_EQ(chmod(QFile::encodeName(path).constData(), 0644), 0);
  settings::SaveSetting(kApp, kSection, QStringLiteral("Server"), QStringLiteral("b"));
  EXPECT_EQ(PermissionBits(path), 0600u);
}

TEST(Settings, ValuesRoundTripAndMissingKeysGiveTheDefault) {
  TempSettings folder;
  const QString password = QStringLiteral("p=a;s's}\\ Καλή 你好 ");
  settings::SaveSetting(kApp, kSection, QStringLiteral("Password"), password);
  settings::SaveSetting(kApp, kSection, QStringLiteral("Local Connection1"), QStringLiteral("1"));
  settings::SaveSetting(kApp, kSection, QStringLiteral("Port"), QStringLiteral(""));
  EXPECT_EQ(settings::GetSetting(kApp, kSection, QStringLiteral("Password")), password);
  EXPECT_EQ(settings::GetSetting(kApp, kSection, QStringLiteral("Local Connection1"), "0"),
            QStringLiteral("1"));
  EXPECT_EQ(settings::GetSetting(kApp, kSection, QStringLiteral("Port"), "1433"), QString());
  EXPECT_EQ(settings::GetSetting(kApp, kSection, QStringLiteral("Port2"), "1433"),
            QStringLiteral("1433"));
  EXPECT_EQ(settings::GetSetting(kApp, kSection, QStringLiteral("Server2")), QString());
  EXPECT_EQ(settings::GetSetting(kApp, QStringLiteral("Other"), QStringLiteral("Password"), "d"),
            QStringLiteral("d"));
}

TEST(Settings, MissingStoreGivesEveryDefault) {
  TempSettings folder;
  EXPECT_FALSE(QFile::exists(settings::FilePath(kApp)));
  EXPECT_EQ(settings::GetSetting(kApp, kSection, QStringLiteral("Port"), "1433"),
            QStringLiteral("1433"));
  EXPECT_FALSE(QFile::exists(settings::FilePath(kApp)));
}
