#include <QGuiApplication>
#include <QListWidget>
#include <QRadioButton>
#include <QScreen>

#include "append/page/append_page.h"
#include "connections/connection_page.h"
#include "join/join_page.h"
#include "mode/mode_choice_page.h"
#include "support/wizard_fixture.h"

namespace {

// The names of the controls in keyboard order, from the first one.
QStringList KeyboardOrder(QWidget& page, int count) {
  QStringList order;
  QWidget* control = page.focusWidget();
  while (control && order.size() < count) {
    order << control->objectName();
    do {
      control = control->nextInFocusChain();
    } while (control != &page && !(control->focusPolicy() & Qt::TabFocus));
  }
  return order;
}

bool IsCentred(const QWidget& page) {
  const QPoint offset = page.frameGeometry().center() -
                        QGuiApplication::primaryScreen()->availableGeometry().center();
  // Before its first showing a window knows nothing of the frame around it.
  return offset.manhattanLength() <= 4;
}

}  // namespace

using Pages = ReturningUserTest;

TEST_F(Pages, EachPageIsCentredAndStartsAtTheFirstControlOfItsKeyboardOrder) {
  Form4& mode = wizard->form4();
  EXPECT_TRUE(IsCentred(mode)) << mode.frameGeometry().center().x() << ","
                               << mode.frameGeometry().center().y();
  EXPECT_EQ(KeyboardOrder(mode, 4),
            QStringList({"Option1", "Option2", "PushButton2", "PushButton3"}));

  mode.PushButton3_Click();
  Form3& append = wizard->form3();
  EXPECT_TRUE(IsCentred(append));
  EXPECT_EQ(KeyboardOrder(append, 8), QStringList({"List1", "List2", "Option1", "Option2", "Check1",
                                                   "Check2", "PushButton2", "PushButton5"}));
  EXPECT_TRUE(append.findChild<QListWidget*>("List1")->selectedItems().isEmpty());

  append.PushButton5_Click();
  Form1& connection = wizard->form1();
  EXPECT_TRUE(IsCentred(connection));
  EXPECT_EQ(connection.focusWidget()->objectName(), "Text1");

  connection.PushButton2_Click();
  mode.findChild<QRadioButton*>("Option2")->setChecked(true);
  mode.PushButton3_Click();
  Form2& join = wizard->form2();
  EXPECT_TRUE(IsCentred(join));
  EXPECT_EQ(KeyboardOrder(join, 7), QStringList({"List1", "List2", "List4", "List3", "Text1",
                                                 "PushButton2", "PushButton5"}));
  EXPECT_TRUE(join.findChild<QListWidget*>("List1")->selectedItems().isEmpty());
}

TEST_F(Pages, FontsAreArialAsLaidOut) {
  Form1& connection = wizard->form1();
  const QFont button = connection.findChild<QWidget*>("PushButton2")->font();
  EXPECT_EQ(button.family(), "Arial");
  EXPECT_DOUBLE_EQ(button.pointSizeF(), 11.25);
  EXPECT_TRUE(button.bold());
  const QFont label = connection.findChild<QWidget*>("Label2")->font();
  EXPECT_EQ(label.pointSize(), 9);
  EXPECT_TRUE(label.bold());
  EXPECT_FALSE(connection.font().bold());
  EXPECT_TRUE(wizard->form4().font().bold());
}
