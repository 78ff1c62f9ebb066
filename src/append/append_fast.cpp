// The fast append: with both logins on one server, the server copies the rows itself in one
// statement; otherwise, or when the server refuses that statement, rows are streamed from the
// source into multi-row INSERTs. Either way every row the server accepts is written and a
// refused row is lost alone: the first refusal is reported, the others counted.

#include "append/append_engine.h"
#include "append/append_statements.h"
#include "append/batch_writer.h"
#include "append/engine_steps.h"
#include "catalogue/catalogue.h"
#include "jobs/worker.h"
#include "platform/app.h"
#include "shell/error_report.h"

namespace append {
namespace {

QString CountStatement(const QString& table) {
  return QStringLiteral("SELECT COUNT(*) FROM ") + MSSQL::Bracketed(table);
}

// The current row of `source` into `row`, value for value.
void ReadRowOf(adodb::Recordset& source, Row& row) {
  row.resize(static_cast<std::size_t>(source.FieldCount()));
  for (std::size_t i = 0; i < row.size(); ++i) row[i] = source.FieldValue(static_cast<int>(i));
}

}  // namespace

// The fast way holds no more than a batch, so the progress counts against the source's rows.
// The count runs before the source is opened: a connection can have one result at a time.
bool AppendEngine::CountSourceRows() {
  return Completed(on_, 170, [&] {
    adodb::Connection& connection = SourceConnection();
    totalRows_ = jobs::Wait([&] {
      const std::unique_ptr<adodb::Recordset> count =
          connection.Execute(CountStatement(SourceTable()));
      return count->Eof() ? qint64(0) : count->FieldValue(0).text.toLongLong();
    });
  });
}

AppendEngine::Next AppendEngine::CopyRowsFast() {
  if (OnOneServer() && CopiedByServer()) return Next::Continue;
  return StreamRows();
}

bool AppendEngine::OnOneServer() const {
  const ConnectionProfile& one = request_.profile1;
  const ConnectionProfile& two = request_.profile2;
  return one.Server.compare(two.Server, Qt::CaseInsensitive) == 0 && one.User == two.User &&
         one.IsLocal() == two.IsLocal() && (one.IsLocal() || one.Port == two.Port);
}

bool AppendEngine::SameTable() const {
  const QString& sourceDatabase =
      request_.appendToDatabase1 ? request_.profile2.Database : request_.profile1.Database;
  const QString& targetDatabase =
      request_.appendToDatabase1 ? request_.profile1.Database : request_.profile2.Database;
  return OnOneServer() && sourceDatabase.compare(targetDatabase, Qt::CaseInsensitive) == 0 &&
         SourceTable().compare(TargetTable(), Qt::CaseInsensitive) == 0;
}

// One statement, all or nothing. When the server refuses it nothing was written, and the rows go
// in batches instead, which find the rows the server refuses. A stop cancels the statement.
bool AppendEngine::CopiedByServer() {
  adodb::Connection& target = TargetConnection();
  const QString& sourceDatabase =
      request_.appendToDatabase1 ? request_.profile2.Database : request_.profile1.Database;
  const QString statement = InsertSelectStatement(TargetTable(), sourceDatabase, SourceTable());
  jobs::Wait([&] { source_.reset(); });
  try {
    cancellable_ = &target;
    jobs::Wait([&] { target.ExecuteNoRecords(statement); });
    cancellable_ = nullptr;
    appended_ = static_cast<int>(totalRows_);
    return true;
  } catch (...) {
    cancellable_ = nullptr;
    stopped_ = stopRequested_.load();
    return stopped_ || ConnectionLost(std::current_exception(), TargetDatabase());
  }
}

// Rows are written while they are read, so memory holds a batch whatever the table's size;
// only a table appended to itself is read whole first, so that each of its rows is written once.
AppendEngine::Next AppendEngine::StreamRows() {
  if (!source_ && !Completed(on_, 134, [&] {
        adodb::Connection& connection = SourceConnection();
        source_ = jobs::Wait([&] { return connection.Execute(SelectAllStatement(SourceTable())); });
      })) {
    return Next::Continue;
  }
  const bool wholeFirst = SameTable();
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
  stopped_ = stretch == Stretch::Stopped;
  const int database = sourceFailed ? 3 - TargetDatabase() : TargetDatabase();
  if (failure && !ConnectionLost(failure, database)) {
    on_(sourceFailed ? 144 : 148, [&] { std::rethrow_exception(failure); });
    stopped_ = true;
  }
  return Next::Continue;
}

AppendEngine::Stretch AppendEngine::StreamStretch(std::exception_ptr& failure, bool& sourceFailed) {
  BatchWriter writer(TargetConnection(), TargetTable(), [this](const QString& description) {
    jobs::OnWindowThread([&] { RefusedText(description); });
  });
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
      appended_ += writer.Add(row);
    } catch (...) {
      failure = std::current_exception();
      return Stretch::Refused;
    }
    rowsTaken_.fetch_add(1, std::memory_order_relaxed);
  }
  try {
    appended_ += writer.Flush();
  } catch (...) {
    failure = std::current_exception();
    return Stretch::Refused;
  }
  return Stretch::Done;
}

AppendEngine::Stretch AppendEngine::StreamFromBuffer(std::exception_ptr& failure) {
  BatchWriter writer(TargetConnection(), TargetTable(), [this](const QString& description) {
    jobs::OnWindowThread([&] { RefusedText(description); });
  });
  RowBuffer::Reader reader = rows_.Read();
  Row row;
  try {
    while (reader.Next(row)) {
      if (app::Ended()) return Stretch::Ended;
      if (stopRequested_.load(std::memory_order_relaxed)) return Stretch::Stopped;
      appended_ += writer.Add(row);
      rowsTaken_.fetch_add(1, std::memory_order_relaxed);
    }
    appended_ += writer.Flush();
  } catch (...) {
    failure = std::current_exception();
    return Stretch::Refused;
  }
  return Stretch::Done;
}

}  // namespace append
