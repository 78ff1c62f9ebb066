#include "cli/existing_targets_choice.h"

#include "cli/terminal_dialogs.h"
#include "platform/desktop/dialogs.h"

namespace cli {
namespace {

using copy::ExistingTarget;

QString RowsWord(qint64 rows) {
  return rows == 1 ? QStringLiteral("1 row") : QStringLiteral("%1 rows").arg(rows);
}

std::vector<copy::PlannedTable*> ExistingOnes(std::vector<copy::PlannedTable>& pairs) {
  std::vector<copy::PlannedTable*> existing;
  for (copy::PlannedTable& pair : pairs) {
    if (pair.notRun.isEmpty() && pair.targetExists) existing.push_back(&pair);
  }
  return existing;
}

// Appending needs no count; every other choice, and a run that makes tables, says them.
bool CountsNeeded(ExistingTarget choice, bool create) {
  if (choice == ExistingTarget::Unchosen) return create;
  return choice != ExistingTarget::Append;
}

bool Counted(CheckedDatabase& target, std::vector<copy::PlannedTable>& pairs, Console& console) {
  try {
    copy::CountExistingTargets(*target.connection, pairs);
    return true;
  } catch (const platform::Error& error) {
    console.Failure(QStringLiteral("cannot count the tables of %1 that exist already")
                        .arg(DatabaseName(target)),
                    error.Description());
    return false;
  }
}

QString TablesWithRows(const CheckedDatabase& target,
                       const std::vector<copy::PlannedTable*>& tables) {
  QStringList named;
  for (const copy::PlannedTable* pair : tables) {
    named << QStringLiteral("%1 (%2)").arg(QualifiedName(target, pair->target),
                                           RowsWord(pair->targetRows.value_or(0)));
  }
  return named.join(QStringLiteral(", "));
}

// A run that makes tables and meets some that hold rows does not append to them unasked: a
// terminal answers, and without one the run is refused with the options that decide it.
bool AppendAgreed(const CheckedDatabase& target, const std::vector<copy::PlannedTable*>& holding,
                  Console& console) {
  const QString question =
      QStringLiteral("Tables to make exist already and hold rows: %1. Append the rows to them?")
          .arg(TablesWithRows(target, holding));
  TerminalDialogs dialogs(console, QStringLiteral("--existing append"), false);
  dialogs.OwnAnswer(
      question.left(30),
      QStringLiteral("--existing %1 says what becomes of them.").arg(copy::ExistingTargetWords()));
  return dialogs::MsgBox(question, dialogs::vbYesNo) == dialogs::vbYes;
}

// A table outside the run that references a table to empty and holds rows: named, and
// nothing is emptied. One that holds none loses nothing.
bool OutsideReferencesHold(CheckedDatabase& target, const std::vector<MSSQL::TableName>& emptied,
                           const std::vector<MSSQL::ForeignKey>& keys, Console& console) {
  const std::vector<MSSQL::TableName> outside = copy::ReferencingFromOutside(emptied, keys);
  if (outside.empty()) return false;
  std::vector<qint64> rows;
  try {
    rows = copy::RowsOfTables(*target.connection, outside);
  } catch (const platform::Error& error) {
    console.Failure(QStringLiteral("cannot count the tables that reference the tables to empty"),
                    error.Description());
    return true;
  }
  QStringList holding;
  for (std::size_t at = 0; at < outside.size(); ++at) {
    if (rows.at(at) > 0) {
      holding << QStringLiteral("%1 (%2)").arg(QualifiedName(target, outside.at(at)),
                                               RowsWord(rows.at(at)));
    }
  }
  if (holding.isEmpty()) return false;
  console.Message(
      QStringLiteral("ombrelia: refused: %1 %2 the tables to empty by a foreign key "
                     "and %3 not in the run; emptying them would leave those rows "
                     "pointing at nothing. Nothing was emptied or written.")
          .arg(holding.join(QStringLiteral(", ")),
               holding.size() == 1 ? QStringLiteral("references") : QStringLiteral("reference"),
               holding.size() == 1 ? QStringLiteral("is") : QStringLiteral("are")));
  return true;
}

QStringList DropStatements(const std::vector<MSSQL::TableName>& replaced) {
  QStringList drops;
  for (auto table = replaced.rbegin(); table != replaced.rend(); ++table) {
    drops << QStringLiteral("DROP TABLE ") + table->Bracketed();
  }
  return drops;
}

bool ReplaceAgreed(const CheckedDatabase& target, const std::vector<copy::PlannedTable*>& existing,
                   bool yes, Console& console) {
  TerminalDialogs dialogs(console, QStringLiteral("--yes"), yes);
  const QString question =
      QStringLiteral("Drop %1 and make %2 again from the source? Every row %3 now is lost.")
          .arg(TablesWithRows(target, existing),
               existing.size() == 1 ? QStringLiteral("it") : QStringLiteral("them"),
               existing.size() == 1 ? QStringLiteral("it holds") : QStringLiteral("they hold"));
  return dialogs::MsgBox(question, dialogs::vbYesNo) == dialogs::vbYes;
}

}  // namespace

std::optional<int> ReplaceDecided(CheckedDatabase& target, std::vector<copy::PlannedTable>& pairs,
                                  const std::vector<MSSQL::ForeignKey>& targetKeys, bool yes,
                                  bool dryRun, bool script, Console& console,
                                  std::vector<MSSQL::TableName>& replaced) {
  const std::vector<copy::PlannedTable*> existing = ExistingOnes(pairs);
  if (existing.empty()) return std::nullopt;
  for (const copy::PlannedTable* pair : existing) replaced.push_back(pair->target);
  QStringList outside;
  for (const MSSQL::TableName& table : copy::ReferencingFromOutside(replaced, targetKeys)) {
    outside << QualifiedName(target, table);
  }
  if (!outside.isEmpty()) {
    console.Message(
        QStringLiteral("ombrelia: refused: %1 %2 the tables to replace by a foreign "
                       "key and %3 not in the run, and the server drops no table "
                       "that another references. Nothing was dropped or written.")
            .arg(outside.join(QStringLiteral(", ")),
                 outside.size() == 1 ? QStringLiteral("references") : QStringLiteral("reference"),
                 outside.size() == 1 ? QStringLiteral("is") : QStringLiteral("are")));
    return kRefused;
  }
  if (script) {
    console.Result(
        QStringLiteral("-- The tables that are there go first, the referencing ones "
                       "first."));
    for (const QString& drop : DropStatements(replaced)) {
      console.Result(drop);
      console.Result(QStringLiteral("GO"));
    }
  }
  if (!dryRun && !ReplaceAgreed(target, existing, yes, console)) return kRefused;
  for (copy::PlannedTable* pair : existing) {
    pair->targetExists = false;
    pair->replaced = true;
  }
  return std::nullopt;
}

std::optional<int> DropReplacedTargets(const CheckedDatabase& target, adodb::Connection& session,
                                       const std::vector<MSSQL::TableName>& replaced,
                                       Console& console) {
  for (const QString& statement : DropStatements(replaced)) {
    try {
      session.ExecuteNoRecords(statement);
    } catch (const platform::Error& error) {
      console.Failure(QStringLiteral("cannot replace the tables of %1 (%2)")
                          .arg(DatabaseName(target), statement),
                      error.Description());
      return kRefused;
    }
  }
  return std::nullopt;
}

namespace {

std::vector<MSSQL::TableName> Emptied(std::vector<copy::PlannedTable>& pairs) {
  std::vector<MSSQL::TableName> emptied;
  for (const copy::PlannedTable* pair : ExistingOnes(pairs)) emptied.push_back(pair->target);
  return emptied;
}

}  // namespace

std::optional<int> EmptyingRefused(CheckedDatabase& target, std::vector<copy::PlannedTable>& pairs,
                                   const std::vector<MSSQL::ForeignKey>& targetKeys,
                                   Console& console) {
  const std::vector<MSSQL::TableName> emptied = Emptied(pairs);
  if (emptied.empty() || !OutsideReferencesHold(target, emptied, targetKeys, console)) {
    return std::nullopt;
  }
  return kRefused;
}

std::optional<int> EmptyExistingTargets(const CheckedDatabase& target, adodb::Connection& session,
                                        std::vector<copy::PlannedTable>& pairs,
                                        const std::vector<MSSQL::ForeignKey>& targetKeys,
                                        Console& console) {
  const std::vector<MSSQL::TableName> emptied = Emptied(pairs);
  for (const QString& statement : copy::EmptyingStatements(emptied, targetKeys)) {
    try {
      session.ExecuteNoRecords(statement);
    } catch (const platform::Error& error) {
      console.Failure(QStringLiteral("cannot empty the tables of %1 (%2)")
                          .arg(DatabaseName(target), statement.simplified()),
                      error.Description());
      return kRefused;
    }
  }
  return std::nullopt;
}

std::optional<int> DecideExistingTargets(CheckedDatabase& target,
                                         std::vector<copy::PlannedTable>& pairs,
                                         ExistingTarget& choice, bool create, bool dryRun,
                                         Console& console) {
  const std::vector<copy::PlannedTable*> existing = ExistingOnes(pairs);
  if (existing.empty() || !CountsNeeded(choice, create)) return std::nullopt;
  if (!Counted(target, pairs, console)) return kRefused;
  if (choice == ExistingTarget::Refuse) {
    console.Message(QStringLiteral("ombrelia: refused (--existing refuse): %1 exist already. "
                                   "Nothing was written.")
                        .arg(TablesWithRows(target, existing)));
    return kRefused;
  }
  if (choice == ExistingTarget::Keep) {
    for (copy::PlannedTable* pair : existing) {
      pair->kept = copy::ExistingTargetWordsFor(choice, pair->targetRows.value_or(0));
    }
    return std::nullopt;
  }
  if (choice != ExistingTarget::Unchosen) return std::nullopt;
  std::vector<copy::PlannedTable*> holding;
  for (copy::PlannedTable* pair : existing) {
    if (pair->targetRows.value_or(0) > 0) holding.push_back(pair);
  }
  if (holding.empty()) return std::nullopt;
  if (dryRun) {
    // The dry run asks nothing: it says the question the run would ask.
    console.Message(QStringLiteral("ombrelia: the run would ask before it appends to %1, which "
                                   "exist and hold rows (--existing %2 answers).")
                        .arg(TablesWithRows(target, holding), copy::ExistingTargetWords()));
    return std::nullopt;
  }
  if (!AppendAgreed(target, holding, console)) return kRefused;
  choice = ExistingTarget::Append;
  return std::nullopt;
}

}  // namespace cli
