#pragma once

#include <QProgressBar>

// The progress bar of the join and append pages: a value from 0 to 100 and a text shown on it.
class ProgressBar : public QProgressBar {
  Q_OBJECT
 public:
  explicit ProgressBar(QWidget* parent = nullptr);

  double Value() const { return value(); }
  // Takes the value as computed; it is rounded to the bar's whole steps.
  void SetValue(double value);
  QString Text() const { return format(); }
  void SetText(const QString& text) { setFormat(text); }
};
