// An append into a new table: before the run looks at both tables, the target is made in its
// database like the source (the same columns in the same order, types and sizes, nullability,
// collations the database would not give, the identity and the primary key). A table the run
// made and that received no row is dropped again; otherwise it stays, and the closing message
// says so.

#include "append/append_engine.h"
#include "append/append_statements.h"
#include "append/count_text.h"
#include "append/engine_steps.h"
#include "catalogue/table_definition.h"
#include "jobs/worker.h"
#include "platform/desktop/dialogs.h"
#include "platform/error.h"

namespace append {
// A name the target database has already is refused before anything is read or made.
bool AppendEngine::TargetMadeLikeSource() {
  if (!request_.createTarget) return true;
  QString collation;
  const std::optional<MSSQL::TableDefinition> definition = NewTargetDefinition(collation);
  return definition && MakeTarget(*definition, collation);
}

// The definition the new target is made from, once the target's database is found without a
// table of its name; empty when it has one, or a look fails (each is told).
std::optional<MSSQL::TableDefinition> AppendEngine::NewTargetDefinition(QString& collation) {
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
    return std::nullopt;
  }
  if (exists) {
    on_(178, [&] {
      dialogs::MsgBox(QStringLiteral("The table %1 exists already in Database #%2. Nothing was "
                                     "changed.")
                          .arg(TargetTable().Display())
                          .arg(TargetDatabase()));
    });
    return std::nullopt;
  }
  MSSQL::TableDefinition definition;
  if (!Completed(on_, 174, [&] {
        adodb::Connection& source = SourceConnection();
        definition = jobs::Wait([&] { return SourceDefinition(source); });
      })) {
    return std::nullopt;
  }
  return definition;
}

// The dry run of an append into a new table: the statement that would make it, and the target's
// columns as they would be (the source's), on the target's server and database.
bool AppendEngine::NewTargetPlanned(QString& statement) {
  if (!request_.createTarget) return true;
  QString collation;
  const std::optional<MSSQL::TableDefinition> definition = NewTargetDefinition(collation);
  if (!definition) return false;
  statement = MSSQL::CreateTableStatement(TargetTable(), *definition, collation);
  return Completed(on_, 126, [&] {
    adodb::Connection& source = SourceConnection();
    adodb::Connection& target = TargetConnection();
    jobs::Wait([&] {
      MSSQL::TableFacts facts = MSSQL::ReadColumnFacts(source, SourceTable());
      // The made table keeps an identity; a computed or rowversion column becomes a plain one.
      MSSQL::TableFacts made = facts;
      made.database = target.DefaultDatabase();
      made.schema = TargetTable().schema;
      made.objectId.clear();
      for (MSSQL::ColumnFacts& column : made.columns) column.computed = column.rowversion = false;
      (request_.appendToDatabase1 ? facts2_ : facts1_) = std::move(facts);
      (request_.appendToDatabase1 ? facts1_ : facts2_) = std::move(made);
    });
  });
}

// The source's definition as its own session resolves its name. A source the server does not
// know fails as reading it would, with the server's own text.
MSSQL::TableDefinition AppendEngine::SourceDefinition(adodb::Connection& source) {
  MSSQL::TableDefinition definition = MSSQL::ReadTableDefinition(source, SourceTable());
  if (definition.columns.empty()) {
    source.Describe(SelectAllStatement(SourceTable()));
    throw platform::Error(QStringLiteral("The columns of the table ") + SourceTable().Display() +
                          QStringLiteral(" cannot be read."));
  }
  return definition;
}

bool AppendEngine::MakeTarget(const MSSQL::TableDefinition& definition, const QString& collation) {
  madeTarget_ = Completed(on_, 180, [&] {
    adodb::Connection& target = TargetConnection();
    const QString statement = MSSQL::CreateTableStatement(TargetTable(), definition, collation);
    jobs::Wait([&] { target.ExecuteNoRecords(statement); });
  });
  return madeTarget_;
}

// Nothing more is sent on a lost connection, and a server's copy cut off may have filled the
// table: it stays, and the closing message says so.
void AppendEngine::DropTargetMadeIfEmpty() {
  if (!madeTarget_ || appended_ > 0 || lostDatabase_ == TargetDatabase() || lostDuringCopy_) {
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
  const qint64 rows = targetAfter_.value_or(appended_);
  return QStringLiteral("The table %1 was made in Database #%2 and holds %3 %4.")
      .arg(name)
      .arg(TargetDatabase())
      .arg(CountText(rows), rows == 1 ? QStringLiteral("row") : QStringLiteral("rows"));
}

}  // namespace append
