#include "append/append_page.h"

#include "connections/connection_page.h"
#include "join/catalogue.h"
#include "platform/app.h"
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
  const QString handPointer = app::PathOf(QString::fromLatin1(Main::kHandPointerFile));
  on(100, [&] { Main::ApplyFormColors(*this); });
  on(102, [&] { SetApplicationIcon(); });
  if (on.when(104, [&] { return Main::FileExists(handPointer); })) {
    on(106, [&] { LoadMouseIcon(handPointer); });
  }
  on(108, [&] { setWindowTitle(QString::fromLatin1(Main::kProductTitle)); });
  on(110, [&] { MSSQL::FillTableList1(*ui_->List1, wizard_.form1()); });
  on(112, [&] { MSSQL::FillTableList2(*ui_->List2, wizard_.form1()); });
}

void Form3::PushButton5_Click() {
  shell::Trap on(QStringLiteral("Form3.PushButton5_Click"));
  on(100, [&] { wizard_.form1().Show(); });
  on(102, [&] { Hide(); });
}

void Form3::PushButton2_Click() {}
