// An append into a new table: before the run looks at both tables, the target is made in its
// database like the source (the same columns in the same order, types and sizes, nullability,
// collations the database would not give, the identity and the primary key). A table the run
// made stays once every row went, none at all included, and the closing message says so; a run
// that ended before its rows drops it again.

#include "append/engine/append_engine.h"
#include "append/engine/count_text.h"
#include "append/engine/engine_steps.h"
#include "append/ways/append_statements.h"
#include "catalogue/table_definition.h"
#include "copy/table_script.h"
#include "copy/whole_table.h"
#include "jobs/worker.h"
#include "platform/desktop/dialogs.h"
#include "platform/error.h"

namespace append {
namespace {

// A statement named by its first words, for a line that says it was refused.
QString Head(const QString& statement) {
  const QString line = statement.simplified();
  return line.size() <= 90 ? line : line.left(87) + QStringLiteral("...");
}

}  // namespace

// A name the target database has already is refused before anything is read or made.
bool AppendEngine::TargetMadeLikeSource() {
  if (!request_.createTarget) return true;
  QString collation;
  return TargetNameFree(collation) && TargetScriptRead(collation) && MakeTarget();
}

// The target's database is found without a table of the target's name; false when it has one,
// or the look fails (each is told). `collation`: the database's.
bool AppendEngine::TargetNameFree(QString& collation) {
  bool exists = false;
  if (!Completed(on_, 176, [&] {
        adodb::Connection& target = TargetConnection();
        jobs::Wait([&] {
          const std::unique_ptr<adodb::Recordset> row =
              adodb::ExecuteForOneRow(target, MSSQL::TargetLookStatement(TargetTable()));
          exists = !row->Eof() && !row->FieldValue(0).IsNull();
          if (!row->Eof() && !row->FieldValue(1).IsNull()) collation = row->FieldValue(1).text;
        });
      })) {
    return false;
  }
  if (exists && request_.targetDroppedFirst) return true;
  if (exists) {
    on_(178, [&] {
      dialogs::MsgBox(QStringLiteral("The table %1 exists already in Database #%2. Nothing was "
                                     "changed.")
                          .arg(TargetTable().Display())
                          .arg(TargetDatabase()));
    });
    return false;
  }
  return true;
}

// The script that makes the target whole: the copy of many tables wrote it for the run; a run
// of one table reads its source's catalogue and asks the target which tables its foreign keys
// reference are there.
bool AppendEngine::TargetScriptRead(const QString& collation) {
  if (request_.script) {
    script_ = request_.script;
    return true;
  }
  return Completed(on_, 174, [&] {
    adodb::Connection& source = SourceConnection();
    adodb::Connection& targetSession = TargetConnection();
    script_ = jobs::Wait([&] {
      const std::vector<copy::WholeTable> whole = copy::ReadWholeTables(source, {SourceTable()});
      if (whole.empty()) {
        source.Describe(SelectAllStatement(SourceTable()));
        throw platform::Error(QStringLiteral("The columns of the table ") +
                              SourceTable().Display() + QStringLiteral(" cannot be read."));
      }
      // The target named with the schema its name resolves to, so that a trigger, whose
      // definition names its table, is made only for a target of the source's own name.
      MSSQL::TableName target = TargetTable();
      if (target.schema.isEmpty()) target.schema = targetSchema_;
      return copy::ScriptOf(whole.front(), target, collation,
                            [&](const MSSQL::TableName& referenced) {
                              return copy::TableIsThere(targetSession, referenced);
                            });
    });
  });
}

// The dry run of an append into a new table: the statements that would make it, and the
// target's columns as they would be (the source's), on the target's server and database.
bool AppendEngine::NewTargetPlanned(QStringList& script, QStringList& leftOut) {
  if (!request_.createTarget) return true;
  QString collation;
  if (!TargetNameFree(collation) || !TargetScriptRead(collation)) return false;
  script = script_->make + script_->afterRows;
  leftOut = script_->leftOut;
  if (!request_.linksLater) script += script_->foreignKeys + script_->triggers;
  return Completed(on_, 126, [&] {
    adodb::Connection& source = SourceConnection();
    adodb::Connection& target = TargetConnection();
    jobs::Wait([&] {
      MSSQL::TableFacts facts = MSSQL::ReadColumnFacts(source, SourceTable());
      // The made table keeps the source's identity, computed columns and rowversion.
      MSSQL::TableFacts made = facts;
      made.database = target.DefaultDatabase();
      made.schema = TargetTable().schema;
      made.objectId.clear();
      (request_.appendToDatabase1 ? facts2_ : facts1_) = std::move(facts);
      (request_.appendToDatabase1 ? facts1_ : facts2_) = std::move(made);
    });
  });
}

// The table with its columns and keys; the rest of it comes once its rows are in.
bool AppendEngine::MakeTarget() {
  madeTarget_ = Completed(on_, 180, [&] {
    adodb::Connection& target = TargetConnection();
    jobs::Wait([&] {
      for (const QString& statement : script_->make) target.ExecuteNoRecords(statement);
    });
  });
  return madeTarget_;
}

// Once every row of a table the run made is in: its other indexes, checks and defaults, then
// (unless a run of many tables makes them once every table holds its rows) its foreign keys
// and triggers. What the target refuses is named with the server's reason, and the rows stay.
void AppendEngine::MakeTheRestOfTheTarget() {
  if (!madeTarget_ || !script_ || !everyRowWent_ || lostDatabase_ != 0) return;
  QStringList statements = script_->afterRows;
  if (!request_.linksLater) statements += script_->foreignKeys + script_->triggers;
  objectsNotMade_ = script_->leftOut;
  adodb::Connection& target = TargetConnection();
  objectsRefused_ = jobs::Wait([&] { return copy::SendEach(target, statements); });
}

// Every line of what the made table lacks: what the script could not make, and what the
// target's server refused.
QStringList AppendEngine::ObjectLines() const {
  QStringList lines = objectsNotMade_;
  for (const copy::Refusal& refused : objectsRefused_) {
    lines << QStringLiteral("Not made: %1 (%2)").arg(Head(refused.statement), refused.reason);
  }
  return lines;
}

// A run that ended before its rows (refused, stopped, failed) drops the table it made, empty.
// A run whose rows all went keeps it, also when the source held none: the copy of an empty
// table is an empty table. Nothing more is sent on a lost connection, and a server's copy cut
// off may have filled the table: it stays, and the closing message says so.
void AppendEngine::DropTargetMadeIfEmpty() {
  if (!madeTarget_ || appended_ > 0 || everyRowWent_ || lostDatabase_ == TargetDatabase() ||
      lostDuringCopy_) {
    return;
  }
  on_(182, [&] {
    adodb::Connection& target = TargetConnection();
    const QString statement = QStringLiteral("DROP TABLE ") + TargetTable().Bracketed();
    jobs::Wait([&] { target.ExecuteNoRecords(statement); });
    madeTarget_ = false;
    droppedTarget_ = true;
  });
}

std::optional<MSSQL::TableName> AppendEngine::MadeTable() const {
  if (!madeTarget_) return std::nullopt;
  return TargetTable();
}

// For the closing message: the table made and its rows, or the table dropped again.
QString AppendEngine::NewTargetLine() const {
  const QString name = TargetTable().Display();
  if (droppedTarget_) {
    return QStringLiteral("The table %1 made for the rows received none and was dropped again.")
        .arg(name);
  }
  if (!madeTarget_) return {};
  const qint64 rows = counts_.after.value_or(appended_);
  if (rows == 0) {
    return QStringLiteral("The table %1 was made in Database #%2 and holds no rows.")
        .arg(name)
        .arg(TargetDatabase());
  }
  return QStringLiteral("The table %1 was made in Database #%2 and holds %3 %4.")
      .arg(name)
      .arg(TargetDatabase())
      .arg(CountText(rows), rows == 1 ? QStringLiteral("row") : QStringLiteral("rows"));
}

}  // namespace append
