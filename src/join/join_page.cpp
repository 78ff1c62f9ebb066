#include "join/join_page.h"

#include "connections/connection_page.h"
#include "join/catalogue.h"
#include "join/join_engine.h"
#include "platform/adodb.h"
#include "platform/app.h"
#include "shell/list_selection.h"
#include "shell/main_module.h"
#include "shell/trap.h"
#include "shell/wizard.h"
#include "ui_join_page.h"

Form2::Form2(shell::Wizard& wizard) : ui_(std::make_unique<Ui::Form2>()), wizard_(wizard) {
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
  on(100, [&] { SetMousePointer(shell::vbHourglass); });
  on(102, [&] {
    fields.clear();
    std::unique_ptr<adodb::Connection> connection = adodb::CreateConnection();
    connection->SetMode(adodb::adModeReadWrite);
    connection->Open(BuildConnectionString(wizard_.form1().Profile1()));
    fields.addItems(MSSQL::FieldNames(*connection, *table));
  });
  on(104, [&] { SetMousePointer(shell::vbDefault); });
}

// The selections are read once; the engine does the rest.
void Form2::PushButton2_Click() {
  std::optional<JoinSelection> selection;
  const auto table1 = shell::SelectedText(*ui_->List1);
  const auto field1 = shell::SelectedText(*ui_->List2);
  const auto table2 = shell::SelectedText(*ui_->List3);
  const auto field2 = shell::SelectedText(*ui_->List4);
  if (table1 && field1 && table2 && field2) selection = {*table1, *field1, *table2, *field2};
  JoinEngine engine(*this, *ui_->List1, *ui_->List3, registry_);
  engine.Run(selection, wizard_.form1().Profile1());
}
