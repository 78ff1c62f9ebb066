#include "platform/application.h"
#include "shell/wizard.h"

int main(int argc, char* argv[]) {
  const std::unique_ptr<QApplication> application = app::CreateApplication(argc, argv);
  shell::Wizard wizard;
  wizard.Start();
  return application->exec();
}
