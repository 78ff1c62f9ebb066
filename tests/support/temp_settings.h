#pragma once

// Points the per-user settings store at a folder of its own for one test.

#include <QTemporaryDir>

class TempSettings {
 public:
  TempSettings();
  ~TempSettings();
  QString Folder() const { return folder_.path(); }

 private:
  QTemporaryDir folder_;
};
