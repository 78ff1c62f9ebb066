#include "cli/command_line.h"
#include "platform/application.h"
#include "platform/freetds_config.h"
#include "wizard/wizard.h"

// Without arguments the wizard; with a command, the command line, which creates no window and
// needs no display. Without either, a short message says how to use the command line.
int main(int argc, char* argv[]) {
  // Before any thread: the driver reads the name of the program's FreeTDS file at every login.
  freetds_config::Prepare();
  if (cli::IsCommandLine(argc)) return cli::Main(argc, argv);
  if (!cli::HasDisplay()) return cli::MainWithoutDisplay(argc, argv);
  const std::unique_ptr<QApplication> application = app::CreateApplication(argc, argv);
  wizard::Wizard wizard;
  wizard.Start();
  return application->exec();
}
