#include "platform/application.h"
#include "wizard/wizard.h"

int main(int argc, char* argv[]) {
  const std::unique_ptr<QApplication> application = app::CreateApplication(argc, argv);
  wizard::Wizard wizard;
  wizard.Start();
  return application->exec();
}
