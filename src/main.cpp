#include "cli/command_line.h"
#include "platform/desktop/application.h"
#include "platform/desktop/terminal.h"
#include "platform/odbc/login_encryption.h"
#include "wizard/wizard.h"

// Without arguments the wizard; with a command, the command line, which creates no window and
// needs no display. Without either, a short message says how to use the command line.
int main(int argc, char* argv[]) {
  // Before any thread: the driver reads the name of the program's FreeTDS file at every login.
  login_encryption::PrepareProgram();
  if (cli::IsCommandLine(argc)) {
    const terminal::Utf8Console console;
    return cli::Main(argc, argv);
  }
  if (!cli::HasDisplay()) return cli::MainWithoutDisplay(argc, argv);
  const std::unique_ptr<QApplication> application = app::CreateApplication(argc, argv);
  wizard::Wizard wizard;
  wizard.Start();
  return application->exec();
}
