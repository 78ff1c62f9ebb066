#include "append/append_engine.h"

#include "append/append_statements.h"
#include "controls/progress_bar.h"
#include "platform/app.h"
#include "platform/dialogs.h"
#include "platform/error.h"
#include "shell/error_report.h"
#include "shell/page.h"

namespace append {
namespace {

const QString kLocation = QStringLiteral("Form3.PushButton2_Click");

constexpr int kTimeoutSeconds = 5000;

platform::Error ObjectNotSet() {
  return platform::Error(QStringLiteral("Object variable or With block variable not set"));
}

adodb::Connection& Use(const std::unique_ptr<adodb::Connection>& connection) {
  if (!connection) throw ObjectNotSet();
  return *connection;
}

int Known(const std::optional<int>& count) {
  if (!count) throw ObjectNotSet();
  return *count;
}

// The field count of a table, from the description of the statement that reads it: the
// table's rows are not read for it.
int FieldCountOf(adodb::Connection& connection, const QString& table) {
  return connection.Describe(SelectAllStatement(table))->FieldCount();
}

// Runs one statement through the trap and tells whether it completed.
template <class Statement>
bool Completed(shell::Trap& on, int line, Statement&& statement) {
  bool completed = false;
  on(line, [&] {
    statement();
    completed = true;
  });
  return completed;
}

}  // namespace

AppendEngine::AppendEngine(AppendRequest request, shell::Page& page, ProgressBar& progressBar)
    : request_(std::move(request)), page_(page), progressBar_(progressBar), on_(kLocation) {}

AppendEngine::~AppendEngine() = default;

void AppendEngine::Run() {
  if (SelectionMissing()) return;
  on_(104, [&] { page_.SetMousePointer(shell::vbHourglass); });
  // A connection that cannot be made or opened is reported once, and the run ends there.
  if (PrepareConnections() && OpenConnections() && CopyRows() == Next::Stop) return;
  Finish();
}

bool AppendEngine::SelectionMissing() {
  if (on_.when(100, [&] { return !request_.table1 || !request_.table2; })) {
    on_(102, [&] {
      dialogs::MsgBox(QStringLiteral("Please select a table and field from each database."));
    });
    return true;
  }
  return false;
}

bool AppendEngine::PrepareConnections() {
  if (!Completed(on_, 106, [&] { connection1_ = adodb::CreateConnection(); }) ||
      !Completed(on_, 108, [&] { connection2_ = adodb::CreateConnection(); })) {
    return false;
  }
  on_(110, [&] { Use(connection1_).SetCommandTimeout(kTimeoutSeconds); });
  on_(112, [&] { Use(connection1_).SetConnectionTimeout(kTimeoutSeconds); });
  on_(114, [&] { Use(connection2_).SetCommandTimeout(kTimeoutSeconds); });
  on_(116, [&] { Use(connection2_).SetConnectionTimeout(kTimeoutSeconds); });
  on_(118, [&] { Use(connection1_).SetMode(adodb::adModeReadWrite); });
  on_(120, [&] { Use(connection2_).SetMode(adodb::adModeReadWrite); });
  return true;
}

bool AppendEngine::OpenConnections() {
  return Completed(on_, 122,
                   [&] { Use(connection1_).Open(BuildConnectionString(request_.profile1)); }) &&
         Completed(on_, 124,
                   [&] { Use(connection2_).Open(BuildConnectionString(request_.profile2)); });
}

bool AppendEngine::FieldCountsDiffer() {
  on_(126, [&] { fieldCount1_ = FieldCountOf(Use(connection1_), *request_.table1); });
  on_(128, [&] { fieldCount2_ = FieldCountOf(Use(connection2_), *request_.table2); });
  return on_.when(130, [&] { return Known(fieldCount1_) != Known(fieldCount2_); });
}

AppendEngine::Next AppendEngine::CopyRows() {
  if (FieldCountsDiffer()) {
    on_(132, [&] {
      dialogs::MsgBox(QStringLiteral("Tables do not have same number of fields (columns)."));
    });
    return Next::Finish;
  }
  if (!OpenSource() || !SourceHasRows()) return Next::Finish;
  if (const Next next = ReadSource(); next != Next::Continue) return next;
  if (WriteRows() == Next::Stop) return Next::Stop;
  on_(150, [&] { dialogs::MsgBox(refused_.ClosingMessage(appended_)); });
  return Next::Finish;
}

// The source is queried anew, not taken from the count. A source that cannot be read is
// reported once, and nothing is written.
bool AppendEngine::OpenSource() {
  return Completed(
      on_, 134, [&] { source_ = SourceConnection().Execute(SelectAllStatement(SourceTable())); });
}

bool AppendEngine::SourceHasRows() {
  bool empty = false;
  if (!Completed(on_, 136, [&] { empty = source_->Eof(); })) return false;
  if (!empty) return true;
  on_(138, [&] {
    dialogs::MsgBox(QStringLiteral("No records in table ") + SourceTable() + QLatin1Char('.'));
  });
  return false;
}

// Every row is in memory before the first is written, so a table appended to itself ends with
// each row twice.
AppendEngine::Next AppendEngine::ReadSource() {
  for (;;) {
    bool atEnd = false;
    if (!Completed(on_, 140, [&] { atEnd = source_->Eof(); })) return Next::Finish;
    if (atEnd) break;
    if (!app::YieldToWindow()) return Next::Stop;
    if (!Completed(on_, 142, [&] { rows_.AppendRowOf(*source_); })) return Next::Finish;
    if (!Completed(on_, 144, [&] { source_->MoveNext(); })) return Next::Finish;
  }
  source_.reset();
  return Next::Continue;
}

AppendEngine::Next AppendEngine::WriteRows() {
  const std::size_t total = rows_.Count();
  RowBuffer::Reader reader = rows_.Read();
  Row row;
  QString statement;
  for (std::size_t j = 0; j < total && reader.Next(row); ++j) {
    if (!app::YieldToWindow()) return Next::Stop;
    WriteInsertStatement(statement, TargetTable(), row);
    on_(146, [&] { progressBar_.SetValue(static_cast<double>(j + 1) / total * 100.0); });
    Insert(statement);
  }
  return Next::Continue;
}

// A refused row is lost alone. The first refusal of a run is reported in full; later ones are
// counted for the closing message.
void AppendEngine::Insert(const QString& statement) {
  try {
    TargetConnection().ExecuteNoRecords(statement);
    ++appended_;
  } catch (...) {
    const QString description = shell::DescriptionOf(std::current_exception());
    if (refused_.Count() == 0) shell::ReportApplicationError(description, kLocation, 148);
    refused_.Add(description);
  }
}

void AppendEngine::Finish() {
  on_(152, [&] { page_.SetMousePointer(shell::vbDefault); });
  on_(154, [&] { progressBar_.SetValue(0); });
  on_(156, [&] { progressBar_.SetText(QStringLiteral("Progress Bar")); });
}

adodb::Connection& AppendEngine::SourceConnection() {
  return Use(request_.appendToDatabase1 ? connection2_ : connection1_);
}

adodb::Connection& AppendEngine::TargetConnection() {
  return Use(request_.appendToDatabase1 ? connection1_ : connection2_);
}

const QString& AppendEngine::SourceTable() const {
  return request_.appendToDatabase1 ? *request_.table2 : *request_.table1;
}

const QString& AppendEngine::TargetTable() const {
  return request_.appendToDatabase1 ? *request_.table1 : *request_.table2;
}

}  // namespace append
