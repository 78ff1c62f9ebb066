// One main for every test program: the application object exists before any test runs.

#include <gtest/gtest.h>
#include <QApplication>
#include <QTemporaryDir>

#include "support/sqlite_odbc.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // A private runtime folder, so Qt has no reason to complain about a missing one.
  QTemporaryDir runtime;
  if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
    qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
  // The private driver registry must be in place before the driver manager reads it.
  SqliteOdbc::RegisterDriver();
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
