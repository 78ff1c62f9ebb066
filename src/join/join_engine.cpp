#include "join/join_engine.h"

#include <algorithm>
#include <array>
#include <utility>

#include "catalogue/catalogue.h"
#include "connections/encryption.h"
#include "jobs/worker.h"
#include "join/field_name_registry.h"
#include "join/join_statements.h"
#include "join/staging_journal.h"
#include "platform/desktop/app.h"
#include "platform/desktop/dialogs.h"
#include "platform/odbc/adodb.h"
#include "shell/trap.h"

namespace {

const QString kStaging1 = QStringLiteral("s_t1");
const QString kStaging2 = QStringLiteral("s_t2");
const QString kStaging[2] = {kStaging1, kStaging2};
constexpr bool Always = true;

// The staging copies' objects, and whether the database takes 'a' for 'A' (it then compares
// names without their letter case).
QString DatabaseLookStatement() {
  return join_statements::TableObjects({kStaging1, kStaging2}) +
         QStringLiteral(", CASE WHEN N'a' = N'A' THEN 1 ELSE 0 END");
}

// The database as the login reaches it, for the journal of staging copies.
QString DatabaseKey(const ConnectionProfile& profile, adodb::Connection& connection) {
  QString database;
  try {
    database = connection.DefaultDatabase();
  } catch (const std::exception&) {
  }
  if (database.isEmpty()) database = profile.Database;
  return profile.Server.toLower() + u',' + (profile.IsLocal() ? QString() : profile.Port) + u'/' +
         database.toLower();
}

// The staging tables are in the default schema; a table of that name in another is no concern.
bool IsStagingTable(const MSSQL::TableName& table) {
  return table.schema.isEmpty() && (table.name.compare(kStaging1, Qt::CaseInsensitive) == 0 ||
                                    table.name.compare(kStaging2, Qt::CaseInsensitive) == 0);
}

// The new table is made in the default schema, so only a table there can share its name.
bool SameTable(const QString& newName, const MSSQL::TableName& table) {
  return table.schema.isEmpty() && newName.compare(table.name, Qt::CaseInsensitive) == 0;
}

// A listed table of another schema that the name, as typed, shows: a new table of that name
// would stand beside it in the default schema under a name that reads the same.
const MSSQL::TableName* OtherSchemaTable(const QString& newName,
                                         const std::vector<MSSQL::TableName>& tables) {
  for (const MSSQL::TableName& table : tables) {
    if (!table.schema.isEmpty() && newName.compare(table.Display(), Qt::CaseInsensitive) == 0) {
      return &table;
    }
  }
  return nullptr;
}

bool Listed(const QString& newName, const std::vector<MSSQL::TableName>& tables) {
  return std::any_of(tables.begin(), tables.end(),
                     [&](const MSSQL::TableName& table) { return SameTable(newName, table); });
}

}  // namespace

// What one run works with; nothing of it outlives the run but the registry's entries.
struct JoinEngine::Run_ {
  JoinSelection selection;
  std::unique_ptr<adodb::Connection> connection;
  QStringList fields[2];
  QStringList aliases[2];
  QString newName;
  std::optional<StagingJournal> journal;
  bool looked = false;  // the server told which staging copies there are
  QString left[2];      // the objects of the staging tables there before the join
  bool made[2] = {};    // the staging copies this run made (and drops)
  Qt::CaseSensitivity names = Qt::CaseInsensitive;  // how the database compares names
  bool staged = false;       // the staging copies were made or tried, and dropped after
  bool built = false;        // the new table was created
  bool overwriting = false;  // the old table's drop waits in a transaction for the join
  bool lost = false;         // the connection is gone: nothing more is sent on it
  int sent = 0;              // statements sent to the server
  qint64 changed = -1;       // the rows the last statement wrote, as the driver counts them
};

JoinEngine::JoinEngine(JoinReport& report, FieldNameRegistry& registry)
    : report_(report), registry_(registry) {}

JoinEngine::~JoinEngine() = default;

void JoinEngine::Run(const std::optional<JoinSelection>& selection,
                     const ConnectionProfile& profile1,
                     const std::vector<MSSQL::TableName>& tables1) {
  shell::Trap on(QStringLiteral("Form2.PushButton2_Click"));
  if (!selection) {
    on(100, [] {
      dialogs::MsgBox(QStringLiteral("Please select a table and field from each database."));
    });
    return;
  }
  if (RefusedSources(*selection)) return;
  Run_ run;
  run.selection = *selection;
  stopped_ = false;
  cancellable_ = true;
  joinedRows_.reset();
  on(102, [&] { report_.Busy(true); });
  // A login that fails is reported once, and nothing more is tried with it.
  if (Connect(on, run, profile1)) {
    run.journal.emplace(DatabaseKey(profile1, *run.connection));
    ReadFields(on, run);
    if (!stopped_ && !run.lost && LookAtDatabase(run)) {
      GiveAliases(on, run);
      if (!HasUnnamedField(run)) {
        run.newName = AskNewName(on, run, tables1);
        if (!run.newName.isEmpty() && !stopped_ && !run.lost) BuildJoinedTable(on, run);
      }
    }
    // A stop before the join gives an old table that was to be overwritten back.
    if (run.overwriting) EndOverwrite(on, run, false);
  }
  if (run.lost) {
    AnnounceLoss(on, run);
  } else if (stopped_ && !run.built) {
    AnnounceStop(on, run.staged);
  }
  connection_ = nullptr;
  on(198, [&] { report_.Busy(false); });
}

// A cancel that came before the statement reached the driver finds nothing to cancel: a second
// Stop sends it again.
void JoinEngine::Stop() {
  stopped_ = true;
  if (connection_ && cancellable_) connection_->Cancel();
}

// The staging drops would destroy a source table named s_t1 or s_t2.
bool JoinEngine::RefusedSources(const JoinSelection& selection) const {
  if (!IsStagingTable(selection.table1) && !IsStagingTable(selection.table2)) return false;
  dialogs::MsgBox(QStringLiteral(
      "The tables s_t1 and s_t2 hold the join's working copies and cannot be joined. "
      "Please rename the table first."));
  return true;
}

void JoinEngine::UseOpenConnection(std::unique_ptr<adodb::Connection> connection,
                                   QStringList fields1, QStringList fields2) {
  handedConnection_ = std::move(connection);
  handedFields_[0] = std::move(fields1);
  handedFields_[1] = std::move(fields2);
}

bool JoinEngine::Connect(shell::Trap& on, Run_& run, const ConnectionProfile& profile1) {
  if (handedConnection_) {
    run.connection = std::move(handedConnection_);
    connection_ = run.connection.get();
    on(106, [&] { run.connection->SetCommandTimeout(5000); });
    return true;
  }
  bool opened = false;
  on(104, [&] {
    run.connection = adodb::CreateConnection();
    connection_ = run.connection.get();
  });
  on(106, [&] {
    if (!run.connection) throw platform::Error(QStringLiteral("Object required"));
    run.connection->SetMode(adodb::adModeReadWrite);
    run.connection->SetCommandTimeout(5000);
    run.connection->SetConnectionTimeout(5000);
    run.connection->SetCursorLocation(adodb::adUseClient);
    jobs::Wait([&] { OpenLogin(*run.connection, profile1); });
    opened = true;
  });
  return opened;
}

// Fields handed over with the connection are not asked for again.
void JoinEngine::ReadFields(shell::Trap& on, Run_& run) {
  registry_.Clear();
  const MSSQL::TableName tables[2] = {run.selection.table1, run.selection.table2};
  for (int table = 0; table < 2; ++table) {
    on(108 + 4 * table, [&] {
      if (!run.connection) throw platform::Error(QStringLiteral("Object required"));
      if (stopped_ || run.lost) return;
      if (!handedFields_[table].isEmpty()) {
        run.fields[table] = std::exchange(handedFields_[table], {});
        return;
      }
      try {
        run.fields[table] =
            jobs::Wait([&] { return MSSQL::FieldNames(*run.connection, tables[table]); });
      } catch (const adodb::Error& error) {
        run.lost = error.ConnectionLost();
        if (!stopped_) throw;
      } catch (...) {
        if (!stopped_) throw;
      }
    });
  }
}

// Every field of both tables is known before the first alias is given, so that a suffix is
// one that no field bears, as the database compares names.
void JoinEngine::GiveAliases(shell::Trap& on, Run_& run) {
  registry_.Reserve(run.fields[0] + run.fields[1], run.names);
  for (int table = 0; table < 2; ++table) {
    on(110 + 4 * table, [&] {
      for (const QString& field : run.fields[table]) {
        run.aliases[table] << registry_.AliasFieldName(field, table);
      }
    });
  }
}

// Which staging tables are there, and how the database compares names, in one look. A staging
// table that this program did not make ends the join before anything is changed. A server that
// does not answer gets no drop before the copies (a copy onto a table that is there fails and
// says so) and names compared without their letter case, which suits every server.
bool JoinEngine::LookAtDatabase(Run_& run) {
  if (app::Ended()) return false;
  try {
    jobs::Wait([&] {
      const std::unique_ptr<adodb::Recordset> row =
          adodb::ExecuteForOneRow(*run.connection, DatabaseLookStatement());
      if (row->Eof() || row->FieldCount() != 3) return;
      for (int i = 0; i < 2; ++i) {
        run.left[i] = row->FieldValue(i).IsNull() ? QString() : row->FieldValue(i).text.trimmed();
      }
      run.names = row->FieldValue(2).text.trimmed() == QLatin1String("1") ? Qt::CaseInsensitive
                                                                          : Qt::CaseSensitive;
      run.looked = true;
      // A note of a copy that is not there (its transaction never committed) is forgotten.
      for (int i = 0; i < 2; ++i) {
        if (run.left[i].isEmpty()) run.journal->Dropped(kStaging[i]);
      }
    });
  } catch (const adodb::Error& error) {
    run.lost = error.ConnectionLost();
    if (run.lost) return false;
  } catch (const std::exception&) {
  }
  return !ForeignStagingTable(run);
}

bool JoinEngine::ForeignStagingTable(const Run_& run) const {
  for (int i = 0; i < 2; ++i) {
    if (run.left[i].isEmpty() || run.journal->Ours(kStaging[i], run.left[i])) continue;
    dialogs::MsgBox(QStringLiteral("The table ") + kStaging[i] +
                    QStringLiteral(" in Database #1 was not made by a join of this program, which "
                                   "makes its working copies under that name. Please rename "
                                   "the table ") +
                    kStaging[i] +
                    QStringLiteral(" (or drop it, if it is a copy that a join cut off left), and "
                                   "join again. Nothing was changed."));
    return true;
  }
  return false;
}

// When every letter of a name is taken, the staging copy could not name that column.
bool JoinEngine::HasUnnamedField(const Run_& run) const {
  for (int table = 0; table < 2; ++table) {
    const qsizetype unnamed = run.aliases[table].indexOf(QString());
    if (unnamed < 0) continue;
    const QString field = run.fields[table][unnamed];
    dialogs::MsgBox(QStringLiteral("The field ") + field +
                    QStringLiteral(" cannot be given a column name of its own in the new table: ") +
                    field + QStringLiteral("_A to ") + field +
                    QStringLiteral("_Z are all taken. Nothing was changed."));
    return true;
  }
  return false;
}

QString JoinEngine::AskNewName(shell::Trap& on, Run_& run,
                               const std::vector<MSSQL::TableName>& tables1) {
  QString name;
  on(116, [&] { name = dialogs::InputBox(QStringLiteral("Enter name of new table: ")); });
  // Confirming the overwrite for a source table would drop it before it is copied.
  if (!name.isEmpty() &&
      (SameTable(name, run.selection.table1) || SameTable(name, run.selection.table2))) {
    dialogs::MsgBox(
        QStringLiteral("The new table cannot take the name of a table being joined. "
                       "Nothing was changed."));
    return QString();
  }
  if (const MSSQL::TableName* other = OtherSchemaTable(name, tables1)) {
    dialogs::MsgBox(QStringLiteral("The name ") + name + QStringLiteral(" is that of the table ") +
                    other->name + QStringLiteral(" of the schema ") + other->schema +
                    QStringLiteral(". The new table is made in the default schema: please choose "
                                   "another name. Nothing was changed."));
    return QString();
  }
  if (on.when(118, [&] { return Listed(name, tables1); })) {
    bool overwrite = false;
    on(120, [&] {
      overwrite = dialogs::MsgBox(QStringLiteral("Such table exist already.\r\n\r\n"
                                                 "Do you want to overwrite it?"),
                                  dialogs::vbYesNo | dialogs::vbDefaultButton2,
                                  QStringLiteral("Information")) == dialogs::vbYes;
    });
    if (!overwrite || !BeginOverwrite(on, run)) return QString();
    Execute(on, 122, run, join_statements::DropIfExists(name));
  }
  return name;
}

// The old table goes only together with a join that succeeds. When the transaction cannot be
// begun, nothing is dropped and no join is made.
bool JoinEngine::BeginOverwrite(shell::Trap& on, Run_& run) {
  on(160, [&] {
    jobs::Wait([&] { run.connection->BeginTrans(); });
    run.overwriting = true;
  });
  return run.overwriting;
}

void JoinEngine::BuildJoinedTable(shell::Trap& on, Run_& run) {
  run.staged = true;
  DropCopiesLeft(on, run);
  on(128, [&] { report_.RemoveTable(JoinReport::TableList::List1, kStaging2); });
  on(130, [&] { report_.RemoveTable(JoinReport::TableList::List1, kStaging1); });
  bool joined = false;
  MakeStagingCopy(on, run, 0);
  MakeStagingCopy(on, run, 1);
  QString k1;
  QString k2;
  on(136, [&] { k1 = registry_.AliasFieldName(run.selection.field1, 0); });
  on(138, [&] { k2 = registry_.AliasFieldName(run.selection.field2, 1); });
  const int sentBefore = run.sent;
  Execute(on, 140, run, join_statements::Join(run.newName, k1, k2), &joined);
  const bool stoppedLate = !joined && stopped_ && run.sent > sentBefore && !run.overwriting &&
                           !run.lost && MadeBeforeTheStop(on, run);
  if (joined && run.changed >= 0) joinedRows_ = run.changed;
  joined = joined || stoppedLate;
  run.built = joined;
  if (run.overwriting) EndOverwrite(on, run, joined);
  // The staging copies this run made are dropped even after a failed copy or join, or a stop;
  // a stop from now on cancels nothing.
  cancellable_ = false;
  DropCopiesMade(on, run);
  on(146, [&] { report_.RemoveTable(JoinReport::TableList::List1, kStaging2); });
  on(148, [&] { report_.RemoveTable(JoinReport::TableList::List1, kStaging1); });
  if (joined && !run.lost) AnnounceNewTable(on, run.newName, stoppedLate);
}

// The copies a join before left behind, which the journal knows for this program's own.
void JoinEngine::DropCopiesLeft(shell::Trap& on, Run_& run) {
  for (int i = 0; i < 2; ++i) {
    if (run.left[i].isEmpty()) continue;
    bool dropped = false;
    Execute(on, 124 + 2 * i, run, join_statements::DropIfExists(kStaging[i]), &dropped);
    if (!dropped) continue;
    run.journal->Dropped(kStaging[i]);
    run.left[i].clear();
  }
}

// Each staging copy is made in a transaction of its own, and its object goes into the journal
// before that commits: the database never holds a copy of this program's that the journal does
// not know. A program killed while the server copies leaves a session whose transaction the
// server rolls back, whether it ends the copy first (a server goes on with a statement whose
// client is gone) or not. A copy made for an overwrite is inside the overwrite's transaction.
void JoinEngine::MakeStagingCopy(shell::Trap& on, Run_& run, int i) {
  const bool ownTransaction = !run.overwriting && BeganCopyTransaction(run);
  const int sentBefore = run.sent;
  const MSSQL::TableName& source = i == 0 ? run.selection.table1 : run.selection.table2;
  Execute(on, 132 + 2 * i, run,
          join_statements::StagingCopy(join_statements::SelectList(run.fields[i], run.aliases[i]),
                                       kStaging[i], source),
          &run.made[i]);
  const bool noted = NoteCopyMade(run, i, run.sent > sentBefore);
  if (ownTransaction) EndCopyTransaction(on, run, i, noted);
}

// A connection that keeps no transaction makes the copy by itself; it is then noted as soon as
// it is there.
bool JoinEngine::BeganCopyTransaction(Run_& run) {
  if (stopped_ || run.lost || !run.connection || app::Ended()) return false;
  try {
    jobs::Wait([&] { run.connection->BeginTrans(); });
    return true;
  } catch (const adodb::Error& error) {
    run.lost = error.ConnectionLost();
  } catch (const std::exception&) {
  }
  return false;
}

// A copy whose statement a stop cancelled may have been made all the same (some servers finish a
// statement before they honour a cancel): a staging table that was not there before the copy
// was sent and is there now is this run's. Whether the copy was noted in the journal.
bool JoinEngine::NoteCopyMade(Run_& run, int i, bool sent) {
  if (run.lost || !run.connection || app::Ended()) return false;
  const bool notThereBefore = run.looked && run.left[i].isEmpty();
  if (!run.made[i] && !(sent && stopped_ && notThereBefore)) return false;
  bool noted = false;
  try {
    jobs::Wait([&] {
      const std::unique_ptr<adodb::Recordset> row =
          adodb::ExecuteForOneRow(*run.connection, join_statements::TableObjects({kStaging[i]}));
      if (row->Eof() || row->FieldCount() != 1 || row->FieldValue(0).IsNull()) return;
      run.made[i] = true;
      run.journal->Made(kStaging[i], row->FieldValue(0).text.trimmed());
      noted = true;
    });
  } catch (const adodb::Error& error) {
    run.lost = error.ConnectionLost();
  } catch (const std::exception&) {
  }
  return noted;
}

// A copy made, noted and not stopped is kept; any other goes back with its transaction. A
// session that is gone leaves its transaction to the server, which rolls it back.
void JoinEngine::EndCopyTransaction(shell::Trap& on, Run_& run, int i, bool noted) {
  if (run.lost) return;
  const bool keep = run.made[i] && noted && !stopped_;
  on((keep ? 172 : 176) + 2 * i, [&] {
    try {
      jobs::Wait([&] { keep ? run.connection->CommitTrans() : run.connection->RollbackTrans(); });
    } catch (...) {
      // A transaction that cannot be ended closes the connection: nothing more goes on it.
      run.lost = true;
      throw;
    }
  });
  if (keep || run.lost) return;
  run.made[i] = false;
  if (noted) run.journal->Dropped(kStaging[i]);
}

void JoinEngine::DropCopiesMade(shell::Trap& on, Run_& run) {
  for (int i = 0; i < 2; ++i) {
    if (!run.made[i]) continue;
    bool dropped = false;
    Execute(on, 142 + 2 * i, run, join_statements::DropIfExists(kStaging[i]), &dropped, Always);
    if (dropped) run.journal->Dropped(kStaging[i]);
  }
}

// A failed or stopped join gives the old table back as it was, and takes the staging copies
// with it.
void JoinEngine::EndOverwrite(shell::Trap& on, Run_& run, bool joined) {
  run.overwriting = false;
  if (run.lost) return;  // the server rolls back what the session left open
  if (joined) {
    on(162, [&] { jobs::Wait([&] { run.connection->CommitTrans(); }); });
  } else {
    // A rollback that fails closes the connection, which the server rolls back: nothing more
    // can be sent on it.
    on(164, [&] {
      try {
        jobs::Wait([&] { run.connection->RollbackTrans(); });
      } catch (...) {
        run.lost = true;
        throw;
      }
    });
  }
}

// After a stop, nothing more is sent but the drops of the staging copies; the statement that
// the stop cancelled fails as the user asked, without a report. After the connection is lost,
// nothing more is sent at all: its loss is reported once.
void JoinEngine::Execute(shell::Trap& on, int line, Run_& run, const QString& statement, bool* ok,
                         bool always) {
  on(line, [&] {
    if (!run.connection) throw platform::Error(QStringLiteral("Object required"));
    if ((stopped_ && !always) || run.lost) return;
    try {
      ++run.sent;
      run.changed = -1;
      run.changed = jobs::Wait([&] { return run.connection->ExecuteNoRecords(statement); });
    } catch (const adodb::Error& error) {
      run.lost = error.ConnectionLost();
      if (stopped_ && !always && !run.lost) return;
      throw;
    } catch (...) {
      if (stopped_ && !always) return;
      throw;
    }
    if (ok) *ok = true;
  });
}

// A server may finish the join before it honours the cancel (some answer a cancel only once the
// statement is over): the new table is then there, whole, whatever the driver said. It is asked
// for, and kept.
bool JoinEngine::MadeBeforeTheStop(shell::Trap& on, Run_& run) {
  bool made = false;
  on(170, [&] {
    const QString statement = join_statements::TableObject(run.newName);
    made = jobs::Wait([&] {
      const std::unique_ptr<adodb::Recordset> row =
          adodb::ExecuteForOneRow(*run.connection, statement);
      return !row->Eof() && !row->FieldValue(0).IsNull();
    });
  });
  return made;
}

void JoinEngine::AnnounceNewTable(shell::Trap& on, const QString& name, bool afterStop) {
  on(150, [&] {
    dialogs::MsgBox(afterStop ? QStringLiteral("Joining stopped after the server had made the "
                                               "table ") +
                                    name +
                                    QStringLiteral(": it was kept, and the staging copies s_t1 "
                                                   "and s_t2 were dropped.")
                              : QStringLiteral("Done."));
  });
  on(152, [&] { report_.RemoveTable(JoinReport::TableList::List1, name); });
  on(154, [&] { report_.RemoveTable(JoinReport::TableList::List3, name); });
  on(156, [&] { report_.AddTable(JoinReport::TableList::List1, name); });
  on(158, [&] { report_.AddTable(JoinReport::TableList::List3, name); });
}

// Staging copies that could not be dropped stay until the next join drops them.
void JoinEngine::AnnounceLoss(shell::Trap& on, const Run_& run) {
  on(168, [&] {
    QString message = QStringLiteral("The connection to Database #1 was lost, and the join ended.");
    message += run.built ? QStringLiteral(" The new table ") + run.newName +
                               QStringLiteral(" was created.")
                         : QStringLiteral(" No table was created.");
    if (run.staged) {
      message += QStringLiteral(
          " The staging tables s_t1 and s_t2 may be left in Database #1; the next join drops "
          "them.");
    }
    dialogs::MsgBox(message);
  });
}

void JoinEngine::AnnounceStop(shell::Trap& on, bool staged) {
  on(166, [&] {
    dialogs::MsgBox(staged ? QStringLiteral("Joining stopped. No table was created, and the "
                                            "staging copies s_t1 and s_t2 were dropped.")
                           : QStringLiteral("Joining stopped. No table was created."));
  });
}
