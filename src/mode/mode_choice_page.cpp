#include "mode/mode_choice_page.h"

#include "append/append_page.h"
#include "connections/connection_page.h"
#include "join/join_page.h"
#include "platform/app.h"
#include "shell/main_module.h"
#include "shell/trap.h"
#include "shell/wizard.h"
#include "ui_mode_choice_page.h"

Form4::Form4(shell::Wizard& wizard) : ui_(std::make_unique<Ui::Form4>()), wizard_(wizard) {
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
  const QString handPointer = app::PathOf(QString::fromLatin1(Main::kHandPointerFile));
  on(100, [&] { Main::ApplyFormColors(*this); });
  on(102, [&] { SetApplicationIcon(); });
  if (on.when(104, [&] { return Main::FileExists(handPointer); })) {
    on(106, [&] { LoadMouseIcon(handPointer); });
  }
}

void Form4::PushButton3_Click() {
  shell::Trap on(QStringLiteral("Form4.PushButton3_Click"));
  if (on.when(100, [&] { return ui_->Option1->isChecked(); })) {
    on(102, [&] { wizard_.form3().Show(); });
    on(104, [&] { Hide(); });
  } else {
    on(106, [&] { wizard_.form2().Show(); });
    on(108, [&] { Hide(); });
  }
}

void Form4::PushButton2_Click() {
  shell::Trap on(QStringLiteral("Form4.PushButton2_Click"));
  on(100, [&] { wizard_.form1().Show(); });
  on(102, [&] { Hide(); });
}

void Form4::Form_QueryUnload() {
  shell::Trap on(QStringLiteral("Form4.Form_QueryUnload"));
  on(100, [] { app::End(); });
}
