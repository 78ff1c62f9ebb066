#include "mode/mode_choice_page.h"

#include "append/page/append_page.h"
#include "connections/connection_page.h"
#include "join/join_page.h"
#include "platform/desktop/app.h"
#include "shell/input_lock.h"
#include "shell/main_module.h"
#include "shell/trap.h"
#include "ui_mode_choice_page.h"
#include "wizard/wizard.h"

Form4::Form4(wizard::Wizard& wizard) : ui_(std::make_unique<Ui::Form4>()), wizard_(wizard) {
  ui_->setupUi(this);
  connect(ui_->PushButton3, &QPushButton::clicked, this, &Form4::PushButton3_Click);
  connect(ui_->PushButton2, &QPushButton::clicked, this, &Form4::PushButton2_Click);
  for (PushButton* button : {ui_->PushButton2, ui_->PushButton3}) {
    connect(button, &PushButton::MouseMove, this, &Form4::PointerOverButton);
  }
}

Form4::~Form4() = default;

void Form4::Form_Load() {
  shell::Trap on(QStringLiteral("Form4.Form_Load"));
  on(100, [&] { Main::ApplyFormColors(*this); });
  on(102, [&] { SetApplicationIcon(); });
  LoadHandPointer(on, 104);
}

// The next page may list its tables first; meanwhile this page takes no second choice.
void Form4::PushButton3_Click() {
  const shell::InputLock lock({ui_->Option1, ui_->Option2, ui_->PushButton2, ui_->PushButton3});
  shell::Trap on(QStringLiteral("Form4.PushButton3_Click"));
  if (on.when(100, [&] { return ui_->Option1->isChecked(); })) {
    GoTo(on, 102, [&]() -> Page& { return wizard_.form3(); });
  } else {
    GoTo(on, 106, [&]() -> Page& { return wizard_.form2(); });
  }
}

void Form4::PushButton2_Click() {
  shell::Trap on(QStringLiteral("Form4.PushButton2_Click"));
  GoTo(on, 100, [&]() -> Page& { return wizard_.form1(); });
}

void Form4::Form_QueryUnload() {
  shell::Trap on(QStringLiteral("Form4.Form_QueryUnload"));
  on(100, [] { app::End(); });
}
