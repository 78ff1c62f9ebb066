#include <gtest/gtest.h>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QTemporaryDir>

#include "controls/skin_framework.h"
#include "platform/desktop/app.h"
#include "platform/desktop/random.h"
#include "shell/main_module.h"
#include "support/lists.h"
#include "support/recorded_desktop.h"

TEST(ListContains, IgnoresCaseAndFindsNothingInAnEmptyList) {
  QListWidget list;
  EXPECT_FALSE(Main::ListContains(list, "orders"));
  list.addItems({"customers", "orders"});
  EXPECT_TRUE(Main::ListContains(list, "ORDERS"));
  EXPECT_TRUE(Main::ListContains(list, "Customers"));
  EXPECT_FALSE(Main::ListContains(list, "order"));
}

TEST(ListRemove, RemovesExactMatchesOnlyAndKeepsTheOrder) {
  QListWidget list;
  list.addItems({"a", "orders", "orders", "b", "Orders", "c"});
  Main::ListRemove(list, "ORDERS");
  EXPECT_EQ(list.count(), 6);
  Main::ListRemove(list, "orders");
  EXPECT_EQ(Entries(list), QStringList({"a", "b", "Orders", "c"}));
}

TEST(FileExists, KnowsFilesAndFoldersAndNeverFails) {
  QTemporaryDir folder;
  QFile file(folder.filePath("HAND-M.CUR"));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.close();
  EXPECT_TRUE(Main::FileExists(folder.path()));
  EXPECT_TRUE(Main::FileExists(file.fileName()));
  EXPECT_FALSE(Main::FileExists(folder.filePath("missing")));
  EXPECT_FALSE(Main::FileExists(""));
  EXPECT_FALSE(Main::FileExists(QString::fromUtf8("bad\0path", 8)));
}

TEST(AppTitle, AlwaysDropsTheLastWordThenWordsUntilFortyCharactersRemain) {
  EXPECT_EQ(Main::AppTitleFrom("Ombrelia Table Joiner"), "Ombrelia Table");
  const QString forty = "Ombrelia joins two tables of SQL Servers";
  ASSERT_EQ(forty.size(), 40);
  EXPECT_EQ(Main::AppTitleFrom(forty), "Ombrelia joins two tables of SQL");
  EXPECT_EQ(Main::AppTitleFrom("one two three four five six seven eight nine ten eleven"),
            "one two three four five six seven eight");
  EXPECT_EQ(Main::AppTitleFrom("Ombrelia"), "Ombrelia");
  Main::SetAppTitle();
  EXPECT_EQ(app::Title(), "Ombrelia");
}

TEST(HomePage, OpensMinimisedOnlyWhenTheDrawIsSeven) {
  RecordedDesktop desktop;
  platform::SetRandomSource([] { return 0.065; });  // 6.5 -> 6 + 1 = 7
  Main::OpenHomePageAtRandom();
  platform::SetRandomSource([] { return 0.075; });  // 8
  Main::OpenHomePageAtRandom();
  platform::SetRandomSource([] { return 0.0; });  // 1
  Main::OpenHomePageAtRandom();
  platform::SetRandomSource({});
  ASSERT_EQ(desktop.started.size(), 1u);
  EXPECT_EQ(desktop.started[0].target, Main::kHomePage);
  EXPECT_EQ(desktop.started[0].windowStyle, 2);
}

class Look : public ::testing::Test {
 protected:
  void SetUp() override {
    app::SetPathForTesting(folder.path());
    auto* frame = new QGroupBox(&page);
    label = new QLabel(frame);
    option = new QRadioButton(&page);
    text = new QLineEdit(&page);
  }
  void TearDown() override { app::SetPathForTesting({}); }
  QColor Background(QWidget* widget) { return widget->palette().color(QPalette::Window); }

  QTemporaryDir folder;
  QWidget page;
  QLabel* label = nullptr;
  QRadioButton* option = nullptr;
  QLineEdit* text = nullptr;
};

TEST_F(Look, FormColorsPaintThePageAndItsCaptionedControlsOnly) {
  const QColor buttonFace = QApplication::palette().color(QPalette::Button);
  const QColor textBefore = Background(text);
  label->setPalette(QPalette(Qt::white));
  Main::ApplyFormColors(page);
  EXPECT_EQ(Background(&page), buttonFace);
  EXPECT_EQ(Background(label), buttonFace);
  EXPECT_EQ(Background(option), buttonFace);
  EXPECT_EQ(Background(text), textBefore);
}

TEST_F(Look, SkinIsAppliedOnlyWhenItsFileIsPresent) {
  SkinFramework skin;
  label->setPalette(QPalette(Qt::white));
  Main::ApplySkin(page, skin);
  EXPECT_EQ(Background(label), QColor(Qt::white));
  EXPECT_TRUE(skin.StyleSheet().isEmpty());

  ASSERT_TRUE(QDir(folder.path()).mkpath("x"));
  QFile sheet(folder.filePath("x/o.cjs"));
  ASSERT_TRUE(sheet.open(QIODevice::WriteOnly));
  sheet.write("QLabel { color: navy; }");
  sheet.close();
  Main::ApplySkin(page, skin);
  EXPECT_EQ(Background(label), QApplication::palette().color(QPalette::Button));
  EXPECT_EQ(page.styleSheet(), "QLabel { color: navy; }");
  EXPECT_EQ(skin.Options() & 1, 1);
}
