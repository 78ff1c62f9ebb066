#include "join/join_page.h"

#include <QScopeGuard>

#include "catalogue/catalogue.h"
#include "connections/connection_page.h"
#include "jobs/worker.h"
#include "join/join_page_report.h"
#include "shell/input_lock.h"
#include "shell/list_selection.h"
#include "shell/main_module.h"
#include "shell/stop_button.h"
#include "shell/table_lists.h"
#include "shell/trap.h"
#include "ui_join_page.h"
#include "wizard/wizard.h"

Form2::Form2(wizard::Wizard& wizard) : ui_(std::make_unique<Ui::Form2>()), wizard_(wizard) {
  ui_->setupUi(this);
  connect(ui_->PushButton2, &QPushButton::clicked, this, &Form2::PushButton2_Click);
  connect(ui_->PushButton5, &QPushButton::clicked, this, &Form2::PushButton5_Click);
  connect(ui_->List1, &QListWidget::itemSelectionChanged, this, &Form2::List1_Click);
  connect(ui_->List3, &QListWidget::itemSelectionChanged, this, &Form2::List3_Click);
  ConnectPointerHandlers();
}

Form2::~Form2() = default;

void Form2::ConnectPointerHandlers() {
  for (PushButton* button : {ui_->PushButton2, ui_->PushButton5}) {
    connect(button, &PushButton::MouseMove, this, &Form2::PointerOverButton);
  }
  for (QWidget* control : std::initializer_list<QWidget*>{ui_->Frame1, ui_->Frame2, ui_->Frame3,
                                                          ui_->List1, ui_->List3}) {
    OnMouseMove(control, [this] { PointerOverBackground(); });
  }
}

void Form2::Form_Load() {
  shell::Trap on(QStringLiteral("Form2.Form_Load"));
  on(100, [&] { Main::ApplyFormColors(*this); });
  on(102, [&] { SetApplicationIcon(); });
  LoadHandPointer(on, 104);
  on(108, [&] { setWindowTitle(QString::fromLatin1(Main::kProductTitle)); });
  // Both groups list the tables of Database #1.
  on(110, [&] { MSSQL::FillTableList1(*ui_->List1, wizard_.form1()); });
  on(112, [&] { MSSQL::FillTableList1(*ui_->List3, wizard_.form1()); });
}

void Form2::PushButton5_Click() {
  shell::Trap on(QStringLiteral("Form2.PushButton5_Click"));
  GoTo(on, 100, [&]() -> Page& { return wizard_.form1(); });
}

void Form2::List1_Click() {
  ShowFields(*ui_->List1, *ui_->List2, QStringLiteral("List1_Click"));
}

void Form2::List3_Click() {
  ShowFields(*ui_->List3, *ui_->List4, QStringLiteral("List3_Click"));
}

// The field list is emptied first, so a table that cannot be read leaves no fields of the
// previous one behind; a failure is reported once and the pointer comes back.
void Form2::ShowFields(const QListWidget& tables, QListWidget& fields, const QString& handler) {
  const std::optional<QString> table = shell::SelectedText(tables);
  if (!table) return;
  shell::Trap on(QStringLiteral("Form2.") + handler);
  const shell::InputLock lock(
      {ui_->List1, ui_->List2, ui_->List3, ui_->List4, ui_->PushButton2, ui_->PushButton5});
  on(100, [&] { SetMousePointer(shell::vbHourglass); });
  on(102, [&] {
    fields.clear();
    const ConnectionProfile profile = wizard_.form1().Profile1();
    fields.addItems(jobs::Wait([&] { return MSSQL::FieldNames(profile, *table); }));
  });
  on(104, [&] { SetMousePointer(shell::vbDefault); });
}

// The selections are read once; the engine does the rest. While it works, the button stops it
// and the page takes no other input; closing the window still ends the program.
void Form2::PushButton2_Click() {
  if (joining_) {
    joining_->Stop();
    ui_->PushButton2->setEnabled(false);
    return;
  }
  Join(TakeSelection());
}

void Form2::Join(const std::optional<JoinSelection>& selection) {
  JoinPageReport report(*this, *ui_->List1, *ui_->List3);
  JoinEngine engine(report, registry_);
  QStringList tables1;
  for (int row = 0; row < ui_->List1->count(); ++row) tables1 << ui_->List1->item(row)->text();
  if (!selection) return engine.Run(selection, wizard_.form1().Profile1(), tables1);
  const shell::InputLock lock(
      {ui_->List1, ui_->List2, ui_->List3, ui_->List4, ui_->Text1, ui_->PushButton5});
  const shell::StopButton stopButton(*ui_->PushButton2, QStringLiteral("Stop Joining"));
  joining_ = &engine;
  const auto runOver = qScopeGuard([this] { joining_ = nullptr; });
  engine.Run(selection, wizard_.form1().Profile1(), tables1);
}

std::optional<JoinSelection> Form2::TakeSelection() const {
  const auto table1 = shell::SelectedText(*ui_->List1);
  const auto field1 = shell::SelectedText(*ui_->List2);
  const auto table2 = shell::SelectedText(*ui_->List3);
  const auto field2 = shell::SelectedText(*ui_->List4);
  if (!table1 || !field1 || !table2 || !field2) return std::nullopt;
  return JoinSelection{*table1, *field1, *table2, *field2};
}
