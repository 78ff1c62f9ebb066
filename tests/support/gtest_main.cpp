// One main for every test program: the application object exists before any test runs.

#include <gtest/gtest.h>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#ifdef _WIN32
#include <windows.h>
#endif

#include "platform/desktop/application.h"
#include "platform/odbc/login_encryption.h"
#include "support/fake_keyring.h"
#include "support/sqlite_odbc.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // A private runtime folder, so Qt has no reason to complain about a missing one.
  QTemporaryDir runtime;
  if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
    qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
  // A private data folder: files the program keeps for the user (refused rows) stay out of the
  // user's own.
  QTemporaryDir data;
  qputenv("XDG_DATA_HOME", data.path().toUtf8());
  // The program's own FreeTDS configuration, in the private runtime folder.
  login_encryption::PrepareProgram();
  // The private driver registry must be in place before the driver manager reads it.
  SqliteOdbc::RegisterDriver();
  // No test reaches the user's session bus and keyring (nor does a program a test starts), but
  // for those run against a Secret Service of their own (keyring/with_secret_service.sh).
  FakeKeyring::InstallNone();
  if (qEnvironmentVariableIsEmpty("OMBRELIA_TEST_OWN_SESSION_BUS"))
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/ombrelia-tests");
  const std::unique_ptr<QApplication> application = app::CreateApplication(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
#ifdef _WIN32
  // Under Wine, a program whose tests ran the join page and the join engine one after the other,
  // or the append's pages, waits for ever at its end, after its results are in, in the detaching
  // of its libraries: it ends here, at once.
  std::fflush(nullptr);
  TerminateProcess(GetCurrentProcess(), static_cast<UINT>(result));
#endif
  return result;
}
