#include "append/page/append_page.h"

#include <QScopeGuard>

#include "append/engine/append_engine.h"
#include "append/page/append_progress.h"
#include "connections/connection_page.h"
#include "connections/profile_settings.h"
#include "copy/window/many_tables.h"
#include "platform/desktop/dialogs.h"
#include "shell/input_lock.h"
#include "shell/list_selection.h"
#include "shell/main_module.h"
#include "shell/stop_button.h"
#include "shell/table_lists.h"
#include "shell/trap.h"
#include "ui_append_page.h"
#include "wizard/wizard.h"

Form3::Form3(wizard::Wizard& wizard) : ui_(std::make_unique<Ui::Form3>()), wizard_(wizard) {
  ui_->setupUi(this);
  connect(ui_->PushButton2, &QPushButton::clicked, this, &Form3::PushButton2_Click);
  connect(ui_->PushButton5, &QPushButton::clicked, this, &Form3::PushButton5_Click);
  connect(ui_->Check1, &QCheckBox::toggled, this, &Form3::Check1_Click);
  connect(ui_->Check2, &QCheckBox::toggled, this, &Form3::Check2_Click);
  connect(ui_->Option1, &QRadioButton::toggled, this, &Form3::Check2_Click);
  for (QListWidget* list : {ui_->List1, ui_->List2}) {
    connect(list, &QListWidget::itemSelectionChanged, this, &Form3::ShowListModes);
  }
  ConnectPointerHandlers();
  ShowListModes();
}

Form3::~Form3() = default;

namespace {
const QString kFastAppendKey = QStringLiteral("Fast Append");
}  // namespace

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
  // Stored as the local-connection flags are: "0" or no key is off.
  on(114, [&] {
    const QString fast = profile_settings::Read(kFastAppendKey, QStringLiteral("0"));
    const QSignalBlocker loading(ui_->Check1);
    ui_->Check1->setChecked(fast != QLatin1String("0"));
  });
  on(110, [&] { MSSQL::FillTableList1(*ui_->List1, wizard_.form1()); });
  on(112, [&] { MSSQL::FillTableList2(*ui_->List2, wizard_.form1()); });
}

// "Fast append": remembered at once, as every login field is.
void Form3::Check1_Click() {
  shell::Trap on(QStringLiteral("Form3.Check1_Click"));
  on(100, [&] {
    profile_settings::Write(kFastAppendKey,
                            ui_->Check1->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
  });
}

// Off at every start, so that no table is made by surprise.
void Form3::Check2_Click() {
  ShowListModes();
}

// A list that becomes the target with several tables chosen keeps none of them: which one was
// meant is not known.
void Form3::ShowListModes() {
  QListWidget& source = SourceList();
  QListWidget& target = TargetList();
  source.setSelectionMode(QAbstractItemView::ExtendedSelection);
  if (target.selectedItems().size() > 1) target.clearSelection();
  target.setSelectionMode(QAbstractItemView::SingleSelection);
  const bool severalSources = source.selectedItems().size() > 1;
  source.setEnabled(true);
  target.setEnabled(!ui_->Check2->isChecked() && !severalSources);
}

QListWidget& Form3::SourceList() const {
  return ui_->Option1->isChecked() ? *ui_->List2 : *ui_->List1;
}

QListWidget& Form3::TargetList() const {
  return ui_->Option1->isChecked() ? *ui_->List1 : *ui_->List2;
}

void Form3::PushButton5_Click() {
  shell::Trap on(QStringLiteral("Form3.PushButton5_Click"));
  GoTo(on, 100, [&]() -> Page& { return wizard_.form1(); });
}

// The run works from the choices as they stand now; while it works, the button stops it after
// the row being written, and the page takes no input that could start another run or change
// this one. Closing the window still ends the program.
void Form3::PushButton2_Click() {
  if (stopRun_) {
    stopRun_();
    ui_->PushButton2->setEnabled(false);
    return;
  }
  std::vector<MSSQL::TableName> sources = shell::SelectedTables(SourceList());
  if (sources.size() > 1) return AppendManyTables(std::move(sources));
  AppendOneTable();
}

void Form3::AppendOneTable() {
  append::AppendRequest request = TakeAppendRequest();
  if (request.createTarget && !NewTableNamed(request)) return;
  const bool chosen = request.table1 && request.table2;
  QListWidget& targetList = TargetList();
  append::AppendProgress progress(*this, *ui_->ProgressBar1);
  append::AppendEngine engine(std::move(request), progress);
  if (!chosen) return engine.Run();
  RunLocked([&] { engine.Run(); }, [&] { engine.Stop(); });
  if (const std::optional<MSSQL::TableName> made = engine.MadeTable()) {
    ListMadeTable(*made, targetList);
  }
}

// The targets are the servers' tables of the sources' names: a source whose table is not there
// is told as such.
void Form3::AppendManyTables(std::vector<MSSQL::TableName> sources) {
  QListWidget& targetList = TargetList();
  append::AppendProgress progress(*this, *ui_->ProgressBar1);
  copy::ManyTables tables(TakeAppendRequest(), std::move(sources), progress);
  RunLocked([&] { tables.Run(); }, [&] { tables.Stop(); });
  for (const MSSQL::TableName& made : tables.MadeTables()) ListMadeTable(made, targetList);
}

void Form3::RunLocked(const std::function<void()>& run, std::function<void()> stop) {
  const shell::InputLock lock({ui_->List1, ui_->List2, ui_->Option1, ui_->Option2, ui_->Check1,
                               ui_->Check2, ui_->PushButton5});
  const shell::StopButton stopButton(*ui_->PushButton2, QStringLiteral("Stop Appending"));
  stopRun_ = std::move(stop);
  const auto runOver = qScopeGuard([this] { stopRun_ = nullptr; });
  run();
}

// A table the run made stands in its database's list from now on, for the next append into it.
void Form3::ListMadeTable(const MSSQL::TableName& made, QListWidget& list) {
  Main::ListRemove(list, made.Display());
  list.addItem(made.Display());
}

append::AppendRequest Form3::TakeAppendRequest() const {
  const ConnectionProfiles& profiles = wizard_.form1();
  return {shell::SelectedTable(*ui_->List1),
          shell::SelectedTable(*ui_->List2),
          ui_->Option1->isChecked(),
          profiles.Profile1(),
          profiles.Profile2(),
          ui_->Check1->isChecked(),
          ui_->Check2->isChecked()};
}

// The name is asked for only once a source is chosen; Cancel or an empty name does nothing. The
// new table is made in the target login's default schema, as the join's is.
bool Form3::NewTableNamed(append::AppendRequest& request) const {
  std::optional<MSSQL::TableName>& source =
      request.appendToDatabase1 ? request.table2 : request.table1;
  std::optional<MSSQL::TableName>& target =
      request.appendToDatabase1 ? request.table1 : request.table2;
  target.reset();
  if (!source) return true;  // the engine says what is missing
  const QString name =
      dialogs::InputBox(QStringLiteral("Enter name of new table: "), QString(), source->name)
          .trimmed();
  if (name.isEmpty()) return false;
  target = MSSQL::TableName(name);
  return true;
}
