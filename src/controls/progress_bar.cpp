#include "controls/progress_bar.h"

#include <cmath>

ProgressBar::ProgressBar(QWidget* parent) : QProgressBar(parent) {
  setRange(0, 100);
  setValue(0);
  setTextVisible(true);
  setAlignment(Qt::AlignCenter);
  SetText(QStringLiteral("Progress Bar"));
}

void ProgressBar::SetValue(double value) {
  setValue(static_cast<int>(std::lround(value)));
}
