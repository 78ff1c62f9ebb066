#include "append/append_page.h"

#include <QScopeGuard>

#include "append/append_engine.h"
#include "append/input_lock.h"
#include "connections/connection_page.h"
#include "join/catalogue.h"
#include "platform/app.h"
#include "shell/list_selection.h"
#include "shell/main_module.h"
#include "shell/trap.h"
#include "shell/wizard.h"
#include "ui_append_page.h"

Form3::Form3(shell::Wizard& wizard) : ui_(std::make_unique<Ui::Form3>()), wizard_(wizard) {
  ui_->setupUi(this);
  connect(ui_->PushButton2, &QPushButton::clicked, this, &Form3::PushButton2_Click);
  connect(ui_->PushButton5, &QPushButton::clicked, this, &Form3::PushButton5_Click);
  ConnectPointerHandlers();
}

Form3::~Form3() = default;

void Form3::ConnectPointerHandlers() {
  for (PushButton* button : {ui_->PushButton2, ui_->PushButton5}) {
    connect(button, &PushButton::MouseMove, this, &Form3::PointerOverButton);
  }
  for (QWidget* control :
       std::initializer_list<QWidget*>{ui_->Frame1, ui_->Frame2, ui_->Frame3, ui_->List1}) {
    OnMouseMove(control, [this] { PointerOverBackground(); });
  }
}

void Form3::Form_Load() {
  shell::Trap on(QStringLiteral("Form3.Form_Load"));
  on(100, [&] { Main::ApplyFormColors(*this); });
  on(102, [&] { SetApplicationIcon(); });
  LoadHandPointer(on, 104);
  on(108, [&] { setWindowTitle(QString::fromLatin1(Main::kProductTitle)); });
  on(110, [&] { MSSQL::FillTableList1(*ui_->List1, wizard_.form1()); });
  on(112, [&] { MSSQL::FillTableList2(*ui_->List2, wizard_.form1()); });
}

void Form3::PushButton5_Click() {
  shell::Trap on(QStringLiteral("Form3.PushButton5_Click"));
  GoTo(on, 100, [&]() -> Page& { return wizard_.form1(); });
}

// The run works from the choices as they stand now; while it works, the page takes no input
// that could start another run or change this one. Closing the window still ends the program.
void Form3::PushButton2_Click() {
  if (appending_) return;
  appending_ = true;
  const auto runOver = qScopeGuard([this] { appending_ = false; });
  const append::InputLock lock(
      {ui_->List1, ui_->List2, ui_->Option1, ui_->Option2, ui_->PushButton2, ui_->PushButton5});
  append::AppendEngine(TakeAppendRequest(), *this, *ui_->ProgressBar1).Run();
}

append::AppendRequest Form3::TakeAppendRequest() const {
  const ConnectionProfiles& profiles = wizard_.form1();
  return {shell::SelectedText(*ui_->List1), shell::SelectedText(*ui_->List2),
          ui_->Option1->isChecked(), profiles.Profile1(), profiles.Profile2()};
}
