#include <QRadioButton>

#include "append/page/append_page.h"
#include "connections/connection_page.h"
#include "join/join_page.h"
#include "mode/mode_choice_page.h"
#include "support/mouse.h"
#include "support/wizard_fixture.h"

namespace {

QRadioButton* Option(QWidget& page, const char* name) {
  return page.findChild<QRadioButton*>(name);
}

}  // namespace

using ModeChoice = ReturningUserTest;

TEST_F(ModeChoice, OpensWithTheVerticalChoiceUnderItsOwnCaption) {
  Form4& page = wizard->form4();
  EXPECT_TRUE(page.isVisible());
  EXPECT_EQ(page.windowTitle(), "Option");
  EXPECT_TRUE(Option(page, "Option1")->isChecked());
  EXPECT_FALSE(Option(page, "Option2")->isChecked());
  EXPECT_EQ(page.palette().color(QPalette::Window),
            QApplication::palette().color(QPalette::Button));
  EXPECT_FALSE(page.windowIcon().isNull());
}

TEST_F(ModeChoice, NextOpensTheChosenPageFirstAndBackKeepsTheChoice) {
  Form4& page = wizard->form4();
  Option(page, "Option2")->setChecked(true);
  page.PushButton3_Click();
  EXPECT_TRUE(wizard->form2().isVisible());
  EXPECT_FALSE(wizard->IsLoaded3());
  EXPECT_EQ(Navigation().mid(3), QStringList({"Form2 shown", "Form4 hidden"}));

  wizard->form4().Show();
  page.PushButton2_Click();
  EXPECT_TRUE(wizard->form1().isVisible());
  EXPECT_FALSE(page.isVisible());
  wizard->form1().PushButton2_Click();
  EXPECT_TRUE(Option(page, "Option2")->isChecked());

  Option(page, "Option1")->setChecked(true);
  page.PushButton3_Click();
  EXPECT_TRUE(wizard->form3().isVisible());
  EXPECT_FALSE(page.isVisible());
  EXPECT_TRUE(dialogs.Boxes().empty());
}

TEST_F(ModeChoice, TheVerticalPageIsListedOnceWhateverTheVisits) {
  Form4& page = wizard->form4();
  page.PushButton3_Click();
  const int schemaReads = server.Statements().count("OpenSchema(20)");
  EXPECT_EQ(schemaReads, 2);
  wizard->form4().Show();
  page.PushButton3_Click();
  EXPECT_EQ(server.Statements().count("OpenSchema(20)"), schemaReads);
}

TEST_F(ModeChoice, PointerAndClosing) {
  Form4& page = wizard->form4();
  MoveMouseOver(page.findChild<QWidget*>("PushButton3"));
  EXPECT_EQ(page.MousePointer(), 99);
  MoveMouseOver(&page);
  EXPECT_EQ(page.MousePointer(), 0);
  page.close();
  EXPECT_EQ(Ended(), 1);
}
