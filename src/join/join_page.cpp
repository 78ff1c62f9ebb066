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
  // The fields are read once the list has taken its key or click whole: a listing that waited
  // inside the list's own handling would let the list undo a choice made meanwhile.
  connect(ui_->List1, &QListWidget::itemSelectionChanged, this, &Form2::List1_Click,
          Qt::QueuedConnection);
  connect(ui_->List3, &QListWidget::itemSelectionChanged, this, &Form2::List3_Click,
          Qt::QueuedConnection);
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
  ShowFields(*ui_->List1, *ui_->List2, listing1_, QStringLiteral("List1_Click"));
}

void Form2::List3_Click() {
  ShowFields(*ui_->List3, *ui_->List4, listing3_, QStringLiteral("List3_Click"));
}

// The lists keep taking keys and clicks while fields are read: a table chosen meanwhile
// supersedes the listing in progress, whose result is discarded, and its own fields are read
// next. The buttons wait for the listing; the pointer is busy until the last one ends.
void Form2::ShowFields(const QListWidget& tables, QListWidget& fields, FieldListing& listing,
                       const QString& handler) {
  if (listing.running) {
    listing.superseded = true;
    return;
  }
  if (!shell::SelectedTable(tables)) return;
  shell::Trap on(QStringLiteral("Form2.") + handler);
  const shell::InputLock lock({ui_->PushButton2, ui_->PushButton5});
  listing.running = true;
  on(100, [&] { SetMousePointer(shell::vbHourglass); });
  do {
    listing.superseded = false;
    ListFields(tables, fields, listing, on);
  } while (listing.superseded);
  listing.running = false;
  on(104, [&] { SetMousePointer(shell::vbDefault); });
}

// The field list is emptied first, so a table that cannot be read leaves no fields of the
// previous one behind; a failure of the listing that stands is reported once.
void Form2::ListFields(const QListWidget& tables, QListWidget& fields, FieldListing& listing,
                       shell::Trap& on) {
  const std::optional<MSSQL::TableName> table = shell::SelectedTable(tables);
  fields.clear();
  if (!table) return;
  QStringList names;
  std::exception_ptr failure;
  try {
    const ConnectionProfile profile = wizard_.form1().Profile1();
    names = jobs::Wait([&] { return MSSQL::FieldNames(profile, *table); });
  } catch (...) {
    failure = std::current_exception();
  }
  if (listing.superseded) return;
  on(102, [&] {
    if (failure) std::rethrow_exception(failure);
    fields.addItems(names);
  });
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
  const std::vector<MSSQL::TableName> tables1 = shell::ListedTables(*ui_->List1);
  if (!selection) return engine.Run(selection, wizard_.form1().Profile1(), tables1);
  const shell::InputLock lock(
      {ui_->List1, ui_->List2, ui_->List3, ui_->List4, ui_->Text1, ui_->PushButton5});
  const shell::StopButton stopButton(*ui_->PushButton2, QStringLiteral("Stop Joining"));
  joining_ = &engine;
  const auto runOver = qScopeGuard([this] { joining_ = nullptr; });
  engine.Run(selection, wizard_.form1().Profile1(), tables1);
}

std::optional<JoinSelection> Form2::TakeSelection() const {
  const auto table1 = shell::SelectedTable(*ui_->List1);
  const auto field1 = shell::SelectedText(*ui_->List2);
  const auto table2 = shell::SelectedTable(*ui_->List3);
  const auto field2 = shell::SelectedText(*ui_->List4);
  if (!table1 || !field1 || !table2 || !field2) return std::nullopt;
  return JoinSelection{*table1, *field1, *table2, *field2};
}
