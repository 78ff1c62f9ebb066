// A target that references itself (a parent row of its own table): one INSERT a row, in the
// source's key order, meets children before their parents wherever a parent has the larger key.
// Such a row, refused by that foreign key, is tried again once the others are written, pass
// after pass while a pass takes any; what is left is refused as any other row.

#include "append/engine/append_engine.h"
#include "append/engine/engine_steps.h"
#include "append/ways/append_statements.h"
#include "catalogue/catalogue.h"
#include "jobs/worker.h"

namespace append {
namespace {

constexpr int kForeignKeyConflict = 547;

bool ForeignKeyConflict(const std::exception_ptr& failure) {
  try {
    std::rethrow_exception(failure);
  } catch (const adodb::Error& error) {
    return error.NativeCode() == kForeignKeyConflict && !error.ConnectionLost();
  } catch (...) {
    return false;
  }
}

}  // namespace

QString SelfReferenceStatement(const MSSQL::TableName& table) {
  return QStringLiteral(
             "SELECT COUNT(*) FROM sys.foreign_keys WHERE parent_object_id = OBJECT_ID(%1) AND "
             "referenced_object_id = parent_object_id")
      .arg(MSSQL::NationalLiteral(table.Bracketed()));
}

// Asked of the target's session once; a server that cannot tell leaves every refusal final.
bool AppendEngine::TargetReferencesItself() {
  if (!selfReference_) {
    selfReference_ = false;
    try {
      adodb::Connection& connection = TargetConnection();
      selfReference_ = jobs::Wait([&] {
        const std::unique_ptr<adodb::Recordset> row =
            adodb::ExecuteForOneRow(connection, SelfReferenceStatement(TargetTable()));
        return !row->Eof() && row->FieldValue(0).text.toLongLong() > 0;
      });
    } catch (const adodb::Error& error) {
      if (error.ConnectionLost()) throw;
    }
  }
  return *selfReference_;
}

bool AppendEngine::Deferred(const std::exception_ptr& refusal, const Row& row) {
  if (!selfReference_.value_or(false) || !ForeignKeyConflict(refusal)) return false;
  deferred_.push_back({row, refusal});
  return true;
}

void AppendEngine::WriteDeferredRows() {
  QString statement;
  while (!deferred_.empty() && !stopRequested_.load()) {
    std::vector<DeferredRow> left;
    jobs::Wait([&] {
      for (DeferredRow& deferred : deferred_) {
        WriteInsertStatement(statement, insertTarget_, deferred.row);
        if (resume_.journal) resume_.journal->SendingAgain();
        try {
          TargetConnection().ExecuteNoRecords(statement);
          ++appended_;
          if (resume_.journal) resume_.journal->Retaken();
        } catch (...) {
          if (resume_.journal) resume_.journal->NotWritten();
          deferred.refusal = std::current_exception();
          left.push_back(std::move(deferred));
        }
      }
    });
    const bool tookAny = left.size() < deferred_.size();
    deferred_ = std::move(left);
    if (!tookAny) break;
  }
  for (const DeferredRow& deferred : deferred_) Refused(deferred.refusal, deferred.row);
  deferred_.clear();
}

}  // namespace append
