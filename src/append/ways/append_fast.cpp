// The fast append: with both logins on one server, the server copies the rows itself in one
// statement; otherwise, or when the server refuses that statement, rows are streamed from the
// source into multi-row INSERTs. Either way every row the server accepts is written and a
// refused row is lost alone: the first refusal is reported, the others counted.

#include <algorithm>
#include <optional>

#include "append/engine/append_engine.h"
#include "append/engine/engine_steps.h"
#include "append/engine/row_count.h"
#include "append/ways/append_statements.h"
#include "append/ways/batch_writer.h"
#include "catalogue/catalogue.h"
#include "connections/encryption.h"
#include "jobs/worker.h"
#include "platform/desktop/app.h"
#include "shell/error_report.h"

namespace append {
namespace {

constexpr int kServerCopyLine = 156;

bool SameName(const MSSQL::TableName& a, const MSSQL::TableName& b) {
  return a.schema.compare(b.schema, Qt::CaseInsensitive) == 0 &&
         a.name.compare(b.name, Qt::CaseInsensitive) == 0;
}

bool SameLogin(const ConnectionProfile& one, const ConnectionProfile& two) {
  return one.Server.compare(two.Server, Qt::CaseInsensitive) == 0 && one.User == two.User &&
         one.IsLocal() == two.IsLocal() && (one.IsLocal() || one.Port == two.Port);
}

// What the session's last statement wrote, as the server counts it: a trigger's statements
// report their own counts to the driver, but leave the statement's ROWCOUNT_BIG() as it was.
std::optional<qint64> RowsOfLastStatement(adodb::Connection& connection) {
  try {
    const std::unique_ptr<adodb::Recordset> count =
        connection.Execute(QStringLiteral("SELECT ROWCOUNT_BIG()"));
    if (count->Eof() || count->FieldValue(0).IsNull()) return std::nullopt;
    return count->FieldValue(0).text.toLongLong();
  } catch (const adodb::Error&) {
    return std::nullopt;
  }
}

}  // namespace

// The batches hold no more than a batch, so the progress counts against the source's rows.
// The count runs before the source is opened: a connection can have one result at a time.
bool AppendEngine::CountSourceRows() {
  return Completed(on_, 170, [&] {
    adodb::Connection& connection = SourceConnection();
    bool big = true;
    totalRows_ =
        jobs::Wait([&] { return CountRows(connection, SourceTable(), big, SourceCondition()); });
  });
}

// An empty source, or one with no row for which the condition holds, is said so, and nothing
// is written.
bool AppendEngine::NoRowsToCopy() {
  if (totalRows_ != 0) return false;
  everyRowWent_ = true;  // none was left to go
  if (resume_.carried) {
    // Nothing is left after the cut run's rows: its journal has done its work.
    if (!dryRun_) AppendJournal::SetAside(resume_.journalPath);
    on_(138, [&] {
      ShowClosing(QStringLiteral("Done. No row of %1 was left after the %2 rows written "
                                 "before: nothing more to append.")
                      .arg(SourceTable().Display())
                      .arg(resume_.carried->appended));
    });
    return true;
  }
  const QString where =
      request_.where.isEmpty() ? QString() : QStringLiteral(" where ") + request_.where;
  MakeTheRestOfTheTarget();
  QString closing =
      QStringLiteral("No records in table ") + SourceTable().Display() + where + QLatin1Char('.');
  if (const QString made = NewTargetLine(); !made.isEmpty()) closing += QLatin1Char(' ') + made;
  // A made table its server refused an index, a constraint or a trigger of is not complete.
  if (const QStringList objects = ObjectLines(); !objects.isEmpty()) {
    closing = QStringLiteral("Incomplete. ") + closing + QStringLiteral("\r\n") +
              objects.join(QStringLiteral("\r\n"));
  }
  on_(138, [&] { ShowClosing(closing); });
  return true;
}

// Two databases reached by the very same login (server, port, user, password): a session of it
// reads both, and the server's own copy needs no other. The session names its database only
// when the login does.
bool AppendEngine::OneLoginServesBoth() const {
  if (!request_.fast || request_.profile1.Database.isEmpty() ||
      request_.profile2.Database.isEmpty()) {
    return false;
  }
  ConnectionProfile one = request_.profile1;
  one.Database = request_.profile2.Database;
  try {
    return SameLogin(one, request_.profile2) &&
           BuildConnectionString(one) == BuildConnectionString(request_.profile2);
  } catch (const platform::Error&) {
    return false;  // a login no connection string carries: each login tells its own failure
  }
}

bool AppendEngine::OpenTargetLogin() {
  const bool target1 = request_.appendToDatabase1;
  return Completed(on_, target1 ? 122 : 124, [&] {
    adodb::Connection& target = TargetConnection();
    jobs::Wait([&] { OpenLogin(target, target1 ? request_.profile1 : request_.profile2); });
  });
}

// The source's own login, left until the rows go in batches.
bool AppendEngine::SourceLoginOpened() {
  if (!sourceDeferred_) return true;
  sourceDeferred_ = false;
  const bool source1 = !request_.appendToDatabase1;
  return Completed(on_, source1 ? 122 : 124, [&] {
    adodb::Connection& source = SourceConnection();
    jobs::Wait([&] { OpenLogin(source, source1 ? request_.profile1 : request_.profile2); });
  });
}

// The very same login on both databases: its target's session reads both tables, as its copy
// will, also when the source's session is open already (the command line's checks opened it).
// The source's session then waits for the batches or a condition.
bool AppendEngine::TablesReadOnTheTargetsSession() const {
  return sourceDeferred_ || (connectionsOpen_ && !request_.createTarget && OneLoginServesBoth());
}

// Both tables' columns on the target's session, the source's by its database's name. A server
// that does not read them so (not SQL Server, a table it cannot read) leaves them unread: the
// source then gets its own login, and each table is looked at on its own session, which
// reports what it cannot read.
bool AppendEngine::FactsReadOnTheTargetsSession() {
  const bool target1 = request_.appendToDatabase1;
  const QString& sourceDatabase = target1 ? request_.profile2.Database : request_.profile1.Database;
  try {
    adodb::Connection& session = TargetConnection();
    jobs::Wait([&] {
      MSSQL::TableFacts target = MSSQL::ReadColumnsOnly(session, TargetTable().Bracketed());
      MSSQL::TableFacts source =
          MSSQL::ReadColumnsOnly(session, InDatabase(sourceDatabase, SourceTable()));
      source.database = sourceDatabase;
      (target1 ? facts1_ : facts2_) = std::move(target);
      (target1 ? facts2_ : facts1_) = std::move(source);
    });
    return true;
  } catch (const adodb::Error&) {
    return false;
  }
}

// A stop is honoured before every step: nothing is copied after it.
AppendEngine::Next AppendEngine::CopyRowsFast() {
  if (StoppedBeforeWriting()) return Next::Continue;
  // A condition is read on the source's own session, whichever way the rows go.
  if (!request_.where.isEmpty() && !SourceLoginOpened()) return Next::Finish;
  if (ServerCopies()) {
    const bool fillsKnown = TargetFacts().fillsKnown;
    const QString refused = CopyStatementOfTheRun(CopiesOnTheSourcesSession());
    if (const std::optional<Next> next = ServerCopyEnded()) return *next;
    // Refused before the target's filled columns were known: named by them (an identity kept,
    // computed columns left out), the copy may be taken.
    if (!fillsKnown) {
      if (!TargetFillsRead() || !IdentityInsertOn()) return Next::Finish;
      if (ServerCopies() && CopyStatementOfTheRun(CopiesOnTheSourcesSession()) != refused) {
        if (const std::optional<Next> next = ServerCopyEnded()) return *next;
      }
    }
  }
  // The batches name the columns the server fills: the target's are asked for now.
  if (!SourceLoginOpened() || !TargetFillsRead() || !IdentityInsertOn()) return Next::Finish;
  if (!CountSourceRows() || NoRowsToCopy()) return Next::Finish;
  if (StoppedBeforeWriting()) return Next::Continue;
  return StreamRows();
}

// Where the server's copy left the run; none when the server refused it, and nothing was written.
std::optional<AppendEngine::Next> AppendEngine::ServerCopyEnded() {
  const bool copied = CopiedByServer();
  if (timedOut_) return Next::Finish;
  if (stopped_ || lostDatabase_ != 0) return Next::Continue;
  if (copied) return NoRowsToCopy() ? Next::Finish : Next::Continue;
  return std::nullopt;
}

// Both tables live on one server only when the servers proved it (ProveOneServer), and the
// source's database is known by name.
bool AppendEngine::OnOneServer() const {
  return oneServer_ && !SourceDatabase().isEmpty() &&
         (request_.where.isEmpty() || !TargetDatabaseName().isEmpty());
}

// The server's own copy names the columns by name. IDENTITY_INSERT is set on the target's
// session: a copy with a condition, sent from the source's session, leaves an identity target
// to the batches.
bool AppendEngine::ServerCopies() const {
  return OnOneServer() &&
         (insertTarget_.columnList.isEmpty() || !insertTarget_.selectList.isEmpty()) &&
         !(insertTarget_.identity && CopiesOnTheSourcesSession());
}

// The source's database as its server names it, or as its login names it.
QString AppendEngine::SourceDatabase() const {
  const QString& told = SourceFacts().database;
  if (!told.isEmpty()) return told;
  return request_.appendToDatabase1 ? request_.profile2.Database : request_.profile1.Database;
}

// The source as its own session resolves its name: on the target's session a bare name would
// go by that login's default schema, and could reach another schema's table of that name.
MSSQL::TableName AppendEngine::SourceAsItsSessionNamesIt() const {
  MSSQL::TableName table = SourceTable();
  if (table.schema.isEmpty()) table.schema = SourceFacts().schema;
  return table;
}

// One server and one database: the tables' objects tell whether two names reach one table.
bool AppendEngine::SameTable() {
  MSSQL::TableFacts& source = request_.appendToDatabase1 ? *facts2_ : *facts1_;
  MSSQL::TableFacts& target = request_.appendToDatabase1 ? *facts1_ : *facts2_;
  if (!source.server.isEmpty() && !target.server.isEmpty()) {
    if (source.server != target.server ||
        source.database.compare(target.database, Qt::CaseInsensitive) != 0) {
      return false;
    }
    try {
      jobs::Wait([&] {
        MSSQL::ReadObjectId(SourceConnection(), SourceTable(), source);
        MSSQL::ReadObjectId(TargetConnection(), TargetTable(), target);
      });
      return source.SameTableAs(target);
    } catch (const adodb::Error&) {
      return SameName(SourceTable(), TargetTable());
    }
  }
  const QString& sourceDatabase =
      request_.appendToDatabase1 ? request_.profile2.Database : request_.profile1.Database;
  const QString& targetDatabase =
      request_.appendToDatabase1 ? request_.profile1.Database : request_.profile2.Database;
  return SameLogin(request_.profile1, request_.profile2) &&
         sourceDatabase.compare(targetDatabase, Qt::CaseInsensitive) == 0 &&
         SameName(SourceTable(), TargetTable());
}

// One statement, all or nothing, counted as the server counts the rows it wrote. When the
// server refuses it nothing was written, and the rows go in batches instead, which find the
// rows the server refuses. A stop cancels the statement; one that came before it leaves the
// statement unsent. Answers whether the server wrote the rows.
bool AppendEngine::CopiedByServer() {
  const bool fromHere = CopiesOnTheSourcesSession();
  adodb::Connection& session = fromHere ? SourceConnection() : TargetConnection();
  const QString statement = CopyStatementOfTheRun(fromHere);
  wayTaken_ = Way::ServerCopy;
  BeginJournal(Way::ServerCopy);
  if (resume_.journal) resume_.journal->SendingAll();
  qint64 written = -1;
  cancellable_ = &session;
  try {
    if (!stopRequested_.load()) {
      written = jobs::Wait([&] {
        const qint64 counted = session.ExecuteNoRecords(statement);
        if (fromHere) return RowsOfLastStatement(session).value_or(counted);
        if (const std::optional<qint64> copied = CountCopyAndTarget(session)) return *copied;
        // A refused statement leaves no ROWCOUNT_BIG() of the copy to ask for.
        return counts_.before ? counted : RowsOfLastStatement(session).value_or(counted);
      });
    }
  } catch (...) {
    cancellable_ = nullptr;
    stopped_ = stopRequested_.load();
    const int database = fromHere ? 3 - TargetDatabase() : TargetDatabase();
    if (stopped_) {
      CountWhatTheStoppedCopyWrote();
    } else if (TimedOut(std::current_exception())) {
      // Out of time is no refusal: the rows are not tried again in batches.
      on_(kServerCopyLine,
          [failure = std::current_exception()] { std::rethrow_exception(failure); });
      CountWhatTheGivenUpStatementWrote();
    } else if (ConnectionLost(std::current_exception(), database, kServerCopyLine)) {
      lostDuringCopy_ = true;
      if (!fromHere) CountSourceAfterLoss();
    } else if (resume_.journal) {
      resume_.journal->NotWritten();  // refused: the rows go in batches
    }
    return false;
  }
  cancellable_ = nullptr;
  stopped_ = stopRequested_.load();
  if (written < 0 && stopped_) return false;
  copiedBeforeStop_ = stopped_ && written > 0;
  // A driver that does not count: the whole source was copied.
  if (written >= 0) {
    totalRows_ = written;
  } else if (!CountSourceRows()) {
    totalRows_ = 0;
  }
  appended_ = totalRows_;
  return true;
}

// A condition is read where the count and the dry run read it: on the source's own session,
// in the source's database, with its login's default schema. The copy then goes from there.
bool AppendEngine::CopiesOnTheSourcesSession() const {
  return !request_.where.isEmpty();
}

// The target named for the session that sends the copy: from the source's session by its
// database and the schema the target's session resolved its name to.
QString AppendEngine::CopyStatementOfTheRun(bool fromHere) const {
  if (!fromHere) {
    return InsertSelectStatement(insertTarget_, SourceDatabase(), SourceAsItsSessionNamesIt(),
                                 SourceCondition());
  }
  InsertTarget target = insertTarget_;
  if (target.table.schema.isEmpty()) target.table.schema = TargetFacts().schema;
  return InsertSelectFromHereStatement(target, TargetDatabaseName(), SourceTable(),
                                       SourceCondition());
}

// The target's database as its server names it, or as its login names it.
QString AppendEngine::TargetDatabaseName() const {
  const QString& told = TargetFacts().database;
  if (!told.isEmpty()) return told;
  return request_.appendToDatabase1 ? request_.profile1.Database : request_.profile2.Database;
}

// A server may finish the copy before it honours the cancel, and its driver then tells only of
// the cancel: the target's growth tells what the statement wrote.
void AppendEngine::CountWhatTheStoppedCopyWrote() {
  counts_.after = CountTargetRows();
  if (!counts_.after && lostDatabase_ == 0) {
    // A cancel that reached the session after the copy had ended may fall on the count instead,
    // and on a server slow to answer it, on the next ones too: a session of its own counts last.
    counts_.failure.clear();
    counts_.after = CountTargetRows();
    if (!counts_.after) {
      counts_.failure.clear();
      counts_.after = TargetCountedOnASessionOfItsOwn();
    }
  }
  if (!counts_.before || !counts_.after) return;
  appended_ = std::max<qint64>(0, *counts_.after - *counts_.before);
  totalRows_ = appended_;
  copiedBeforeStop_ = appended_ > 0;
}

std::optional<qint64> AppendEngine::TargetCountedOnASessionOfItsOwn() {
  try {
    return jobs::Wait([&] {
      const std::unique_ptr<adodb::Connection> session = adodb::CreateConnection();
      session->SetCommandTimeout(QueryTimeout());
      OpenLogin(*session, TargetProfile());
      return CountRows(*session, TargetTable(), counts_.countBig);
    });
  } catch (...) {
    counts_.failure = shell::DescriptionOf(std::current_exception());
    return std::nullopt;
  }
}

// The copy never said how many rows it was to write: the source tells, so that the closing
// message can say what the target holds if the copy was written.
void AppendEngine::CountSourceAfterLoss() {
  if (SourceLoginOpened()) CountSourceRows();
}

// Rows are written while they are read, so memory holds a batch whatever the table's size;
// only a table appended to itself is read whole first, so that each of its rows is written once.
AppendEngine::Next AppendEngine::StreamRows() {
  // Asked before the source is opened: a statement sent on the source's connection while its
  // rows are open makes the driver buffer them all.
  const bool wholeFirst = SameTable();
  wayTaken_ = Way::Batches;
  if (!wholeFirst && !KeyRead()) return Next::Finish;
  if (!source_ && !Completed(on_, 134, [&] {
        adodb::Connection& connection = SourceConnection();
        source_ = jobs::Wait([&] {
          return connection.Execute(
              SelectAllStatement(SourceTable(), SourceCondition(), SourceOrder()));
        });
      })) {
    return Next::Finish;
  }
  if (!wholeFirst) BeginJournal(Way::Batches);
  if (wholeFirst) {
    if (const Next next = ReadSource(); next != Next::Continue || stopped_) return next;
  }
  std::exception_ptr failure;
  bool sourceFailed = false;
  Stretch stretch = Stretch::Done;
  const auto showProgress = [&] {
    const qint64 taken = rowsTaken_.load(std::memory_order_relaxed);
    if (totalRows_ > 0) report_.Progress(std::min(taken, totalRows_), totalRows_);
  };
  jobs::Wait(
      [&] {
        stretch = wholeFirst ? StreamFromBuffer(failure) : StreamStretch(failure, sourceFailed);
      },
      showProgress);
  showProgress();
  if (stretch == Stretch::Ended) return Next::Stop;
  const bool atLimit = AtRefusedLimit();
  stopped_ = stretch == Stretch::Stopped || atLimit;
  const int database = sourceFailed ? 3 - TargetDatabase() : TargetDatabase();
  if (failure && !ConnectionLost(failure, database, sourceFailed ? 144 : 148)) {
    on_(sourceFailed ? 144 : 148, [&] { std::rethrow_exception(failure); });
    stopped_ = true;
    if (!sourceFailed && TimedOut(failure)) CountWhatTheGivenUpStatementWrote();
  }
  return Next::Continue;
}

// Every row the writer wrote is counted, also when the stretch ends in a failure.
AppendEngine::Stretch AppendEngine::StreamStretch(std::exception_ptr& failure, bool& sourceFailed) {
  BatchWriter writer = NewBatchWriter();
  const Stretch stretch = StreamInto(writer, failure, sourceFailed);
  appended_ += writer.Written();
  return stretch;
}

AppendEngine::Stretch AppendEngine::StreamInto(BatchWriter& writer, std::exception_ptr& failure,
                                               bool& sourceFailed) {
  Row row;
  for (;;) {
    if (app::Ended()) return Stretch::Ended;
    if (stopRequested_.load(std::memory_order_relaxed)) return Stretch::Stopped;
    try {
      if (source_->Eof()) break;
      ReadRowOf(*source_, row);
      source_->MoveNext();
    } catch (...) {
      sourceFailed = true;
      failure = std::current_exception();
      return Stretch::Refused;
    }
    try {
      writer.Add(row);
    } catch (...) {
      failure = std::current_exception();
      return Stretch::Refused;
    }
    if (writer.AtLimit()) return Stretch::Stopped;
    rowsTaken_.fetch_add(1, std::memory_order_relaxed);
  }
  try {
    writer.Flush();
  } catch (...) {
    failure = std::current_exception();
    return Stretch::Refused;
  }
  return writer.AtLimit() ? Stretch::Stopped : Stretch::Done;
}

AppendEngine::Stretch AppendEngine::StreamFromBuffer(std::exception_ptr& failure) {
  BatchWriter writer = NewBatchWriter();
  RowBuffer::Reader reader = rows_.Read();
  Row row;
  Stretch stretch = Stretch::Done;
  try {
    while (stretch == Stretch::Done && reader.Next(row)) {
      if (app::Ended()) {
        stretch = Stretch::Ended;
      } else if (stopRequested_.load(std::memory_order_relaxed)) {
        stretch = Stretch::Stopped;
      } else {
        writer.Add(row);
        rowsTaken_.fetch_add(1, std::memory_order_relaxed);
        if (writer.AtLimit()) stretch = Stretch::Stopped;
      }
    }
    if (stretch == Stretch::Done) writer.Flush();
    if (writer.AtLimit()) stretch = Stretch::Stopped;
  } catch (...) {
    failure = std::current_exception();
    stretch = Stretch::Refused;
  }
  appended_ += writer.Written();
  return stretch;
}

// Each refused row is reported (the first) or counted, and kept in the file, by the window's
// thread.
// The writer stops at the limit of refused rows, counting those refused before it.
BatchWriter AppendEngine::NewBatchWriter() {
  BatchWriter writer(TargetConnection(), insertTarget_,
                     [this](const QString& description, const Row& row) {
                       jobs::OnWindowThread([&] { RefusedText(description, row); });
                     });
  writer.Journal(resume_.journal.get());
  if (refused_.limit > 0)
    writer.StopAfterRefusedRows(std::max<qint64>(1, refused_.limit - refused_.rows.Count()));
  return writer;
}

}  // namespace append

namespace append {

// The server's copy is one statement: a connection lost while it ran leaves the target with all
// of its rows or none, which only the target's count tells. The window and the command line say
// it in these words.
QString AppendEngine::LostCopyLine() const {
  if (!lostDuringCopy_) return {};
  QString text = QStringLiteral(
                     "The connection to Database #%1 was lost during the server's "
                     "copy, which writes all of its rows or none.")
                     .arg(lostDatabase_);
  const QString table = TargetTable().Display();
  if (!counts_.before) {
    return text + QStringLiteral(" Count the rows of %1 to tell which.").arg(table);
  }
  const QString before = QString::number(*counts_.before);
  text += QStringLiteral(
              " The table %1 held %2 rows before it; count its rows to tell which: %2 "
              "means none was written")
              .arg(table, before);
  if (totalRows_ > 0) {
    text +=
        QStringLiteral(", %1 that all %2 were").arg(*counts_.before + totalRows_).arg(totalRows_);
  }
  return text + QLatin1Char('.');
}

}  // namespace append
