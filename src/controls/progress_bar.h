#pragma once

#include <QFont>
#include <QProgressBar>
#include <QStaticText>
#include <functional>
#include <optional>

// The progress bar of the join and append pages: a value from 0 to 100 and a text shown on it.
//
// An append sets the value once for every row it writes, many times faster than a screen can
// show. The bar shows a new value at once when it reaches either end of the range and, in
// between, at most once a frame: a value set within a frame of the last one shown waits for the
// next value set after the frame is over. It draws itself flat (a thin frame, the done part in
// the highlight colour, the text centred over both): the style's own drawing, with its
// gradients, rounded outlines and text laid out anew each time, cost ten times as much.
class ProgressBar : public QProgressBar {
  Q_OBJECT
 public:
  explicit ProgressBar(QWidget* parent = nullptr);

  // The value as last set, whether or not it is shown yet.
  double Value() const { return wanted_; }
  // Takes the value as computed; it is rounded to the bar's whole steps.
  void SetValue(double value);
  QString Text() const { return format(); }
  void SetText(const QString& text) { setFormat(text); }

  // Tests give the bars a clock of their own, in milliseconds (the program's clock,
  // platform/clock.h); an empty one restores the monotonic clock.
  static void SetClockForTesting(std::function<qint64()> clock);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void ShowWanted();
  QRect DonePart(const QRect& inside) const;
  const QStaticText& Caption();

  int wanted_ = 0;
  std::optional<qint64> lastShown_;
  QStaticText caption_;
  QFont captionFont_;
};
