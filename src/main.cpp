#include <QApplication>

#include "shell/wizard.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  shell::Wizard wizard;
  wizard.Start();
  return application.exec();
}
