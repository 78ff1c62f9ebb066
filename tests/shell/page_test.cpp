#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include "support/mouse.h"

#include "controls/push_button.h"
#include "platform/desktop/app.h"
#include "shell/page.h"

namespace {

// A page with one button, one frame-like area and a busy operation, as the pages use them.
class SamplePage : public shell::Page {
 public:
  SamplePage() {
    button = new PushButton(this);
    area = new QWidget(this);
    connect(button, &PushButton::MouseMove, this, &SamplePage::PointerOverButton);
    OnMouseMove(area, [this] { PointerOverBackground(); });
  }
  PushButton* button;
  QWidget* area;
};

}  // namespace

TEST(PagePointer, HandOverButtonsArrowElsewhereAndNeverOverTheHourglass) {
  SamplePage page;
  MoveMouseOver(page.button);
  EXPECT_EQ(page.MousePointer(), shell::vbCustom);
  EXPECT_EQ(page.cursor().shape(), Qt::PointingHandCursor);  // no custom image loaded
  MoveMouseOver(page.area);
  EXPECT_EQ(page.MousePointer(), shell::vbDefault);
  MoveMouseOver(page.button);
  MoveMouseOver(&page);
  EXPECT_EQ(page.MousePointer(), shell::vbDefault);

  page.SetMousePointer(shell::vbHourglass);
  EXPECT_EQ(page.cursor().shape(), Qt::WaitCursor);
  MoveMouseOver(page.button);
  MoveMouseOver(page.area);
  MoveMouseOver(&page);
  EXPECT_EQ(page.MousePointer(), shell::vbHourglass);
}

TEST(PagePointer, CustomImageComesFromTheCursorFileWithItsHotspot) {
  // A 2x2 cursor file written here: one directory entry with hotspot (1, 0), then a bitmap.
  QByteArray cur;
  auto put16 = [&](int v) { cur.append(char(v & 0xff)).append(char((v >> 8) & 0xff)); };
  auto put32 = [&](int v) {
    put16(v & 0xffff);
    put16((v >> 16) & 0xffff);
  };
  put16(0);
  put16(2);
  put16(1);
  cur.append(char(2)).append(char(2)).append(char(0)).append(char(0));
  put16(1);
  put16(0);
  const int imageSize = 40 + 2 * 2 * 4 + 2 * 4;
  put32(imageSize);
  put32(22);
  put32(40);
  put32(2);
  put32(4);
  put16(1);
  put16(32);
  put32(0);
  put32(0);
  put32(0);
  put32(0);
  put32(0);
  put32(0);
  for (int i = 0; i < 4; ++i) put32(int(0xff0000ff));
  for (int i = 0; i < 2; ++i) put32(0);
  QTemporaryDir folder;
  QFile file(folder.filePath("HAND-M.CUR"));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(cur);
  file.close();

  SamplePage page;
  page.LoadMouseIcon(file.fileName());
  ASSERT_TRUE(page.HasMouseIcon());
  page.SetMousePointer(shell::vbCustom);
  EXPECT_EQ(page.cursor().shape(), Qt::BitmapCursor);
  EXPECT_EQ(page.cursor().hotSpot(), QPoint(1, 0));
}

TEST(PageClose, ClosingAnyPageEndsTheProgram) {
  int ended = 0;
  app::SetEndHandlerForTesting([&] { ++ended; });
  SamplePage page;
  page.Show();
  page.close();
  EXPECT_EQ(ended, 1);
  EXPECT_TRUE(app::Ended());
  app::SetEndHandlerForTesting({});
}
