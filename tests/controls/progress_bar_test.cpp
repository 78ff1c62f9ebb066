#include "controls/progress_bar.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPalette>

namespace {

class ProgressBarTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ProgressBar::SetClockForTesting([this] { return now_; });
  }
  void TearDown() override { ProgressBar::SetClockForTesting({}); }

  int Shown() const { return bar_.value(); }

  qint64 now_ = 1000;
  ProgressBar bar_;
};

TEST_F(ProgressBarTest, ShowsEachEndAtOnceAndValuesBetweenAtMostOnceAFrame) {
  bar_.SetValue(30.4);
  EXPECT_EQ(Shown(), 30) << "the first value is shown at once";

  now_ += 5;
  bar_.SetValue(40);
  EXPECT_EQ(bar_.Value(), 40) << "the value as set";
  EXPECT_EQ(Shown(), 30) << "within the frame of the last value shown";

  now_ += 11;
  bar_.SetValue(40);
  EXPECT_EQ(Shown(), 40) << "the waiting value is shown by the first call after the frame";

  now_ += 1;
  bar_.SetValue(100);
  EXPECT_EQ(Shown(), 100) << "the full bar is shown at once, as the last row is written";
  bar_.SetValue(0);
  EXPECT_EQ(Shown(), 0) << "the empty bar is shown at once, as a run ends";
  EXPECT_EQ(bar_.Value(), 0);
}

TEST_F(ProgressBarTest, PaintsTheDonePartInTheHighlightAndTheRestInTheBase) {
  bar_.resize(200, 20);
  bar_.SetValue(50);
  const QImage picture = bar_.grab().toImage();
  const QColor highlight = bar_.palette().highlight().color();
  const QColor base = bar_.palette().base().color();
  // Below the text's middle line, away from the frame and from the letters' bodies.
  EXPECT_EQ(picture.pixelColor(5, 17), highlight);
  EXPECT_EQ(picture.pixelColor(95, 17), highlight);
  EXPECT_EQ(picture.pixelColor(105, 17), base);
  EXPECT_EQ(picture.pixelColor(194, 17), base);
  EXPECT_EQ(bar_.Text(), "Progress Bar");
}

}  // namespace
