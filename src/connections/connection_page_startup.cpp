// The start-up of the program, carried out as the connection page loads.

#include "connections/connection_page.h"
#include "connections/validation.h"
#include "platform/desktop/app.h"
#include "shell/main_module.h"
#include "shell/trap.h"
#include "ui_connection_page.h"

void Form1::Form_Load() {
  shell::Trap on(QStringLiteral("Form1.Form_Load"));
  on(100, [&] { Main::ApplySkin(*this, SkinFramework1); });
  on(102, [&] { setWindowTitle(QString::fromLatin1(Main::kProductTitle)); });
  on(104, [&] { SetApplicationIcon(); });
  on(106, [] { Main::SetAppTitle(); });
  on(108, [] { Main::OpenHomePageAtRandom(); });
  LoadHandPointer(on, 110);
  on(114, [&] { LoadConnectionProfiles(); });
  // A returning user whose two logins still open their databases lands on the mode choice.
  if (on.when(116,
              [&] { return !ui_->Text1->text().isEmpty() && !ui_->Text5->text().isEmpty(); })) {
    if (on.when(118, [&] { return MSSQL::ValidateDatabase1(*this); })) {
      if (on.when(120, [&] { return MSSQL::ValidateDatabase2(*this); })) {
        on(122, [&] { PushButton2_Click(); });
      }
    }
  }
}
