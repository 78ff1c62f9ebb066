#include "append/engine/append_engine.h"

#include "append/ways/append_statements.h"

#include <algorithm>

#include "append/engine/column_pairs.h"
#include "append/engine/engine_steps.h"
#include "append/ways/insert_plan.h"
#include "connections/encryption.h"
#include "jobs/worker.h"
#include "platform/desktop/app.h"
#include "platform/desktop/dialogs.h"
#include "platform/error.h"
#include "shell/error_report.h"

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

const MSSQL::TableFacts& Known(const std::optional<MSSQL::TableFacts>& facts) {
  if (!facts) throw ObjectNotSet();
  return *facts;
}

// A step's failure, kept while it ran beside another; a connection that was never made fails
// as using it would.
void RethrowOr(const std::exception_ptr& failure, const std::unique_ptr<adodb::Connection>& used) {
  Use(used);
  if (failure) std::rethrow_exception(failure);
}

}  // namespace

AppendEngine::AppendEngine(AppendRequest request, jobs::RunReport& report)
    : request_(std::move(request)), report_(report), on_(kLocation) {}

AppendEngine::~AppendEngine() = default;

void AppendEngine::Run() {
  if (SelectionMissing()) return;
  on_(104, [&] { report_.Busy(true); });
  // A connection that cannot be made or opened is reported once, and the run ends there.
  if (PrepareConnections() && OpenConnections()) {
    // When the program ended, its connections go with it, and so does IDENTITY_INSERT.
    if (CopyRows() == Next::Stop) return;
    EndJournal();
    IdentityInsertOff();
    DropTargetMadeIfEmpty();
  }
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

void AppendEngine::UseOpenConnections(std::unique_ptr<adodb::Connection> connection1,
                                      std::unique_ptr<adodb::Connection> connection2) {
  connection1_ = std::move(connection1);
  connection2_ = std::move(connection2);
  connectionsOpen_ = connection1_ && connection2_;
}

std::pair<std::unique_ptr<adodb::Connection>, std::unique_ptr<adodb::Connection>>
AppendEngine::HandBackConnections() {
  source_.reset();
  if (lostDatabase_ == 1 || lostDuringCopy_) connection1_.reset();
  if (lostDatabase_ == 2 || lostDuringCopy_) connection2_.reset();
  return {std::move(connection1_), std::move(connection2_)};
}

int AppendEngine::QueryTimeout() const {
  return request_.queryTimeout > 0 ? request_.queryTimeout : kTimeoutSeconds;
}

bool AppendEngine::PrepareConnections() {
  if (connectionsOpen_) {
    Use(connection1_).SetCommandTimeout(QueryTimeout());
    Use(connection2_).SetCommandTimeout(QueryTimeout());
    return true;
  }
  if (!Completed(on_, 106, [&] { connection1_ = adodb::CreateConnection(); }) ||
      !Completed(on_, 108, [&] { connection2_ = adodb::CreateConnection(); })) {
    return false;
  }
  on_(110, [&] { Use(connection1_).SetCommandTimeout(QueryTimeout()); });
  on_(112, [&] { Use(connection1_).SetConnectionTimeout(kTimeoutSeconds); });
  on_(114, [&] { Use(connection2_).SetCommandTimeout(QueryTimeout()); });
  on_(116, [&] { Use(connection2_).SetConnectionTimeout(kTimeoutSeconds); });
  on_(118, [&] { Use(connection1_).SetMode(adodb::adModeReadWrite); });
  on_(120, [&] { Use(connection2_).SetMode(adodb::adModeReadWrite); });
  return true;
}

// Both logins at once; the first that fails is reported, and the run ends there.
bool AppendEngine::OpenConnections() {
  if (connectionsOpen_) return true;
  // A table made like the source needs the source's own session to read its definition.
  sourceDeferred_ = !request_.createTarget && OneLoginServesBoth();
  if (sourceDeferred_) return OpenTargetLogin();
  std::exception_ptr failures[2];
  if (connection1_ && connection2_) {
    jobs::Wait([&] {
      BothAtOnce([&] { OpenLogin(*connection1_, request_.profile1); },
                 [&] { OpenLogin(*connection2_, request_.profile2); }, failures[0], failures[1]);
    });
  }
  return Completed(on_, 122, [&] { RethrowOr(failures[0], connection1_); }) &&
         Completed(on_, 124, [&] { RethrowOr(failures[1], connection2_); });
}

// Both tables are looked at at once. A table that cannot be read is reported once, and the run
// ends there: its field count is not known, so nothing can be compared with it.
bool AppendEngine::FieldCountsMatch() {
  if (facts1_ && facts2_) return FieldCountsEqual();
  if (TablesReadOnTheTargetsSession() && !FactsReadOnTheTargetsSession() && !SourceLoginOpened()) {
    return false;
  }
  if (facts1_ && facts2_) return FieldCountsEqual();
  std::exception_ptr failures[2];
  jobs::Wait([&] {
    // Only the target's columns that the server fills matter, and the server's own copy of a
    // fast append asks for them only when the server refuses it.
    const bool fills = !request_.fast;
    const bool target1 = request_.appendToDatabase1;
    // The fast ways count the target's rows before the copy in the same look; the schema its
    // name resolves to matters only to a copy sent from the source's session, for a condition.
    const bool count = request_.fast;
    const bool targetSchema = !count || !request_.where.isEmpty();
    BothAtOnce(
        [&] {
          facts1_ = MSSQL::ReadColumnFacts(*connection1_, *request_.table1, fills && target1,
                                           count && target1, !target1 || targetSchema);
        },
        [&] {
          facts2_ = MSSQL::ReadColumnFacts(*connection2_, *request_.table2, fills && !target1,
                                           count && !target1, target1 || targetSchema);
        },
        failures[0], failures[1]);
  });
  if (!Completed(on_, 126, [&] { RethrowOr(failures[0], connection1_); }) ||
      !Completed(on_, 128, [&] { RethrowOr(failures[1], connection2_); })) {
    return false;
  }
  return FieldCountsEqual();
}

bool AppendEngine::FieldCountsEqual() {
  if (on_.when(130, [&] { return Known(facts1_).fieldCount != Known(facts2_).fieldCount; })) {
    on_(132, [&] {
      dialogs::MsgBox(QStringLiteral("Tables do not have same number of fields (columns)."));
    });
    return false;
  }
  return true;
}

AppendEngine::Next AppendEngine::CopyRows() {
  // An early mark is waited for after the look at the tables, which it does not need.
  if (earlyMark_ && !FieldCountsMatch()) return Next::Finish;
  if (!TargetMarked() || EmptyingRefused() || !TargetMadeLikeSource() || !FieldCountsMatch()) {
    return Next::Finish;
  }
  if (request_.fast) ProveOneServer();
  if (const Next next = LookAtColumns(); next != Next::Continue) return next;
  if (!IdentityInsertOn()) return Next::Finish;
  CountTargetBefore();
  if (DecideResume() != Next::Continue || !TargetEmptied()) return Next::Finish;
  if (const Next next = request_.fast ? CopyRowsFast() : CopyRowsOneByOne();
      next != Next::Continue) {
    return next;
  }
  everyRowWent_ = true;
  EndJournal();
  CountTargetAfter();
  MakeTheRestOfTheTarget();
  IdentityInsertOff();
  DropTargetMadeIfEmpty();
  on_(150, [&] { ShowClosing(ClosingMessage()); });
  return Next::Finish;
}

// One INSERT a row, each written as it is read, so memory holds one row whatever the table's
// size; only a table appended to itself is read whole first, so that each of its rows is written
// once more. The progress counts against the source's rows.
AppendEngine::Next AppendEngine::CopyRowsOneByOne() {
  if (StoppedBeforeWriting()) return Next::Continue;
  wayTaken_ = Way::OneInsertARow;
  // Whether the rows are read whole first is asked before the source is opened: a statement
  // sent on the source's connection while its rows are open makes the driver buffer them all.
  const bool wholeFirst = SameTable();
  if (!CountSourceRows() || NoRowsToCopy() || (!wholeFirst && !KeyRead()) || !OpenSource()) {
    return Next::Finish;
  }
  if (!Completed(on_, 196, [&] { TargetReferencesItself(); })) return Next::Finish;
  if (!wholeFirst) {
    BeginJournal(Way::OneInsertARow);
    return WriteRows(StreamedRows());
  }
  if (const Next next = ReadSource(); next != Next::Continue) return next;
  RowBuffer::Reader reader = rows_.Read();
  return WriteRows([&reader](Row& row) { return reader.Next(row); });
}

// The source's rows as they are read; a row that cannot be read fails.
AppendEngine::NextRow AppendEngine::StreamedRows() {
  return [this](Row& row) {
    if (source_->Eof()) return false;
    ReadRowOf(*source_, row);
    source_->MoveNext();
    return true;
  };
}

// A stop honoured between the steps before the first row: nothing is written after it.
bool AppendEngine::StoppedBeforeWriting() {
  stopped_ = stopped_ || stopRequested_.load();
  return stopped_;
}

// Before any row is read, the columns that face each other by position are compared: pairs
// that differ in name or kind are put to the user once, and No leaves everything as it was.
// Tables with the same columns in another order may be appended by name instead. A computed
// column of the source is a value like any other; only the target's columns that the server
// fills are left out, together with the source values facing them.
AppendEngine::Next AppendEngine::LookAtColumns() {
  if (!FillsWaitForARefusal() && !TargetFillsRead()) return Next::Finish;
  const MSSQL::TableFacts& source = SourceFacts();
  const MSSQL::TableFacts& target = TargetFacts();
  if (SameColumnsInAnotherOrder(source, target)) return AskColumnOrder(source, target);
  if (const QStringList pairs = DifferingPairs(source, target); !pairs.isEmpty()) {
    int answer = dialogs::vbNo;
    askedAboutColumns_ = true;
    on_(162, [&] {
      answer = dialogs::MsgBox(PositionalAppendQuestion(pairs),
                               dialogs::vbYesNo | dialogs::vbDefaultButton2);
    });
    if (answer != dialogs::vbYes) return Next::Finish;
  }
  PlanRows();
  return Next::Continue;
}

// The server's own copy on one server tries every column first; the columns the target's server
// fills are read only when it refuses them (an identity target takes the copy with its columns
// named and IDENTITY_INSERT on, a target's computed columns are left out of it). A dry run reads
// them to name the way the run takes.
bool AppendEngine::FillsWaitForARefusal() const {
  return request_.fast && !dryRun_ && OnOneServer() && !CopiesOnTheSourcesSession();
}

void AppendEngine::PlanRows() {
  insertTarget_ = byName_ ? PlanInsertByName(TargetTable(), SourceFacts(), TargetFacts())
                          : PlanInsert(TargetTable(), SourceFacts(), TargetFacts());
}

// The target's columns the server fills, read once; the rows are planned anew with them.
bool AppendEngine::TargetFillsRead() {
  MSSQL::TableFacts& target = request_.appendToDatabase1 ? *facts1_ : *facts2_;
  if (target.fillsKnown || target.columns.empty()) return true;
  const bool read = Completed(on_, 172, [&] {
    adodb::Connection& connection = TargetConnection();
    jobs::Wait([&] { MSSQL::ReadFills(connection, TargetTable(), target); });
  });
  PlanRows();
  return read;
}

// By name (the default), by position, or nothing at all: Cancel leaves everything as it was.
AppendEngine::Next AppendEngine::AskColumnOrder(const MSSQL::TableFacts& source,
                                                const MSSQL::TableFacts& target) {
  int answer = dialogs::vbCancel;
  askedAboutColumns_ = true;
  on_(168, [&] {
    answer = dialogs::MsgBox(ByNameAppendQuestion(source, target), dialogs::vbYesNoCancel);
  });
  if (answer != dialogs::vbYes && answer != dialogs::vbNo) return Next::Finish;
  byName_ = answer == dialogs::vbYes;
  PlanRows();
  return Next::Continue;
}

// An identity key keeps the source's values; a login that may not do so is told once, and no
// row is written.
bool AppendEngine::IdentityInsertOn() {
  if (!insertTarget_.identity || identityInsertOn_) return true;
  identityInsertOn_ = Completed(on_, 164, [&] {
    adodb::Connection& connection = TargetConnection();
    jobs::Wait(
        [&] { connection.ExecuteNoRecords(IdentityInsertStatement(insertTarget_.table, true)); });
  });
  return identityInsertOn_;
}

// Also after a refused row, a failure or a stop; a lost connection took the setting with it.
void AppendEngine::IdentityInsertOff() {
  if (!identityInsertOn_ || lostDatabase_ == TargetDatabase()) return;
  identityInsertOn_ = false;
  on_(166, [&] {
    adodb::Connection& connection = TargetConnection();
    jobs::Wait(
        [&] { connection.ExecuteNoRecords(IdentityInsertStatement(insertTarget_.table, false)); });
  });
}

// The source is queried anew, not taken from the count. A source that cannot be read is
// reported once, and nothing is written.
bool AppendEngine::OpenSource() {
  if (StoppedBeforeWriting()) return true;
  return Completed(on_, 134, [&] {
    adodb::Connection& connection = SourceConnection();
    source_ = jobs::Wait([&] {
      return connection.Execute(
          SelectAllStatement(SourceTable(), SourceCondition(), SourceOrder()));
    });
  });
}

// Every row is in memory before the first is written, so a table appended to itself ends with
// each row twice. The rows are read on the worker in one stretch; a failure ends the reading
// and is reported once.
AppendEngine::Next AppendEngine::ReadSource() {
  if (stopped_) return Next::Continue;
  report_.Reading(0);
  int failedLine = 0;
  std::exception_ptr failure;
  Stretch stretch = Stretch::Done;
  jobs::Wait([&] { stretch = ReadRows(failedLine, failure); },
             [&] { report_.Reading(rowsRead_.load(std::memory_order_relaxed)); });
  if (stretch == Stretch::Ended) return Next::Stop;
  if (failure) {
    on_(failedLine, [&] { std::rethrow_exception(failure); });
    return Next::Finish;
  }
  stopped_ = stretch == Stretch::Stopped;
  source_.reset();
  return Next::Continue;
}

AppendEngine::Stretch AppendEngine::ReadRows(int& failedLine, std::exception_ptr& failure) {
  for (;;) {
    bool atEnd = false;
    if (!StepDone(
            140, [&] { atEnd = source_->Eof(); }, failedLine, failure)) {
      return Stretch::Refused;
    }
    if (atEnd) return Stretch::Done;
    if (app::Ended()) return Stretch::Ended;
    if (stopRequested_.load(std::memory_order_relaxed)) return Stretch::Stopped;
    if (!StepDone(
            142, [&] { rows_.AppendRowOf(*source_); }, failedLine, failure) ||
        !StepDone(
            144, [&] { source_->MoveNext(); }, failedLine, failure)) {
      return Stretch::Refused;
    }
    rowsRead_.fetch_add(1, std::memory_order_relaxed);
  }
}

// The rows go to the worker in one stretch that ends at a refused row, a stop or the end of the
// program; the window's thread shows the progress meanwhile and reports each refusal. A source
// that cannot be read is reported once, and the run stops there.
AppendEngine::Next AppendEngine::WriteRows(const NextRow& next) {
  if (stopped_) return Next::Continue;
  Row row;  // after a refusal, the row refused
  const auto showProgress = [&] {
    const qint64 taken = rowsTaken_.load(std::memory_order_relaxed);
    if (totalRows_ > 0) report_.Progress(std::min(taken, totalRows_), totalRows_);
  };
  for (;;) {
    std::exception_ptr refusal;
    bool sourceFailed = false;
    Stretch stretch = Stretch::Done;
    jobs::Wait([&] { stretch = WriteRowsUntilRefused(next, row, refusal, sourceFailed); },
               showProgress);
    showProgress();
    switch (stretch) {
      case Stretch::Done:
        WriteDeferredRows();
        return Next::Continue;
      case Stretch::Ended:
        return Next::Stop;
      case Stretch::Stopped:
        stopped_ = true;
        return Next::Continue;
      case Stretch::Refused:
        if (sourceFailed) {
          if (!ConnectionLost(refusal, 3 - TargetDatabase(), 144)) {
            on_(144, [&] { std::rethrow_exception(refusal); });
            stopped_ = true;
          }
          return Next::Continue;
        }
        if (ConnectionLost(refusal, TargetDatabase())) return Next::Continue;
        if (TimedOut(refusal)) {
          on_(148, [&] { std::rethrow_exception(refusal); });
          stopped_ = true;
          CountWhatTheGivenUpStatementWrote();
          return Next::Continue;
        }
        if (resume_.journal) resume_.journal->Refused();
        if (Deferred(refusal, row)) break;
        Refused(refusal, row);
        if (AtRefusedLimit()) {
          stopped_ = true;
          return Next::Continue;
        }
        break;
    }
  }
}

// A statement that failed because the target's connection is gone ends the writing: it is
// reported once, and nothing more is sent.
bool AppendEngine::ConnectionLost(std::exception_ptr failure, int database, int line) {
  try {
    std::rethrow_exception(failure);
  } catch (const adodb::Error& error) {
    if (!error.ConnectionLost()) return false;
    lostDatabase_ = database;
    shell::ReportApplicationError(error.Description(), kLocation, line);
    return true;
  } catch (...) {
    return false;
  }
}

// The file of refused rows is named below the refusals, and the after-check speaks last.
QString AppendEngine::ClosingMessage() const {
  QString text = lostDuringCopy_      ? LostCopyLine()
                 : lostDatabase_ == 0 ? refused_.rows.ClosingMessage(appended_, stopped_)
                                      : refused_.rows.LostConnectionMessage(
                                            appended_, Result().notWritten, lostDatabase_);
  if (copiedBeforeStop_) {
    text += QStringLiteral(" The server had copied them before the stop reached it.");
  }
  // Source rows that no run sent: the run did not append every row.
  if (const QString behind = LeftBehindLine(); !behind.isEmpty()) {
    if (text.startsWith(QLatin1String("Done."))) text.replace(0, 5, QStringLiteral("Incomplete."));
    text += QStringLiteral("\r\n\r\n") + behind;
  }
  if (refused_.file) text += QStringLiteral("\r\n") + refused_.file->Line();
  if (const QString made = NewTargetLine(); !made.isEmpty()) {
    text += QStringLiteral("\r\n\r\n") + made;
  }
  // A made table its server refused an index, a constraint or a trigger of is not complete.
  if (const QStringList objects = ObjectLines(); !objects.isEmpty()) {
    if (text.startsWith(QLatin1String("Done."))) text.replace(0, 5, QStringLiteral("Incomplete."));
    text += QStringLiteral("\r\n") + objects.join(QStringLiteral("\r\n"));
  }
  if (const QString check = AfterCheckLine(); !check.isEmpty()) {
    text += QStringLiteral("\r\n\r\n") + check;
  }
  if (const QString journal = JournalLine(); !journal.isEmpty()) {
    text += QStringLiteral("\r\n\r\n") + journal;
  }
  if (const QString resumed = ResumedLine(); !resumed.isEmpty()) {
    text += QStringLiteral("\r\n\r\n") + resumed;
  }
  return text;
}

void AppendEngine::Stop() {
  stopRequested_ = true;
  if (adodb::Connection* copying = cancellable_.load()) copying->Cancel();
}

int AppendEngine::TargetDatabase() const {
  return request_.appendToDatabase1 ? 1 : 2;
}

AppendEngine::Stretch AppendEngine::WriteRowsUntilRefused(const NextRow& next, Row& row,
                                                          std::exception_ptr& refusal,
                                                          bool& sourceFailed) {
  QString statement;
  for (;;) {
    if (app::Ended()) return Stretch::Ended;
    if (stopRequested_.load(std::memory_order_relaxed)) return Stretch::Stopped;
    try {
      if (!next(row)) return Stretch::Done;
    } catch (...) {
      refusal = std::current_exception();
      sourceFailed = true;
      return Stretch::Refused;
    }
    WriteInsertStatement(statement, insertTarget_, row);
    rowsTaken_.fetch_add(1, std::memory_order_relaxed);
    if (resume_.journal) resume_.journal->Sending(row, 1);
    try {
      TargetConnection().ExecuteNoRecords(statement);
      ++appended_;
      if (resume_.journal) resume_.journal->Took();
    } catch (...) {
      refusal = std::current_exception();
      return Stretch::Refused;
    }
  }
}

// A refused row is lost alone. The first refusal of a run is reported in full; later ones are
// counted for the closing message; each is kept in the file of refused rows.
void AppendEngine::Refused(std::exception_ptr refusal, const Row& row) {
  RefusedText(shell::DescriptionOf(refusal), row);
}

// The limit of refused rows, when one was set, is reached: the run stops there.
bool AppendEngine::AtRefusedLimit() {
  refused_.atLimit = refused_.limit > 0 && refused_.rows.Count() >= refused_.limit;
  return refused_.atLimit;
}

void AppendEngine::RefusedText(const QString& description, const Row& row) {
  if (refused_.rows.Count() == 0) shell::ReportApplicationError(description, kLocation, 148);
  refused_.rows.Add(description);
  KeepRefusedRow(row, description);
}

// The file's header names the source's columns, as its rows hold the source's values.
void AppendEngine::KeepRefusedRow(const Row& row, const QString& description) {
  if (!refused_.file) {
    QStringList columns;
    for (const MSSQL::ColumnFacts& column : SourceFacts().columns) columns << column.name;
    for (auto i = columns.size(); i < static_cast<qsizetype>(row.size()); ++i) {
      columns << QStringLiteral("column%1").arg(i + 1);
    }
    refused_.file =
        std::make_unique<RefusedRowsFile>(refused_.path, TargetTable().Display(), columns);
  }
  refused_.file->Add(row, description);
}

void AppendEngine::Finish() {
  on_(152, [&] { report_.Busy(false); });
  on_(154, [&] { report_.RunEnded(); });
}

adodb::Connection& AppendEngine::SourceConnection() {
  return Use(request_.appendToDatabase1 ? connection2_ : connection1_);
}

adodb::Connection& AppendEngine::TargetConnection() {
  return Use(request_.appendToDatabase1 ? connection1_ : connection2_);
}

const MSSQL::TableName& AppendEngine::SourceTable() const {
  return request_.appendToDatabase1 ? *request_.table2 : *request_.table1;
}

const MSSQL::TableName& AppendEngine::TargetTable() const {
  return request_.appendToDatabase1 ? *request_.table1 : *request_.table2;
}

const MSSQL::TableFacts& AppendEngine::SourceFacts() const {
  return Known(request_.appendToDatabase1 ? facts2_ : facts1_);
}

const MSSQL::TableFacts& AppendEngine::TargetFacts() const {
  return Known(request_.appendToDatabase1 ? facts1_ : facts2_);
}

}  // namespace append
