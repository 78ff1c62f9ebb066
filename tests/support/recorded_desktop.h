#pragma once

// Records what the program asks the desktop to start, instead of starting it.

#include <QString>
#include <vector>

#include "platform/desktop/desktop.h"

class RecordedDesktop : public desktop::Backend {
 public:
  struct Started {
    QString target;
    int windowStyle;
  };
  RecordedDesktop() { desktop::SetBackend(this); }
  ~RecordedDesktop() override { desktop::SetBackend(nullptr); }
  void Start(const QString& target, int windowStyle) override {
    started.push_back({target, windowStyle});
  }
  std::vector<Started> started;
};
