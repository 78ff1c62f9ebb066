#pragma once

// The append engine: copies every row of a table of one database into a table with the same
// number of columns in the other database, one INSERT per row. It knows no window: it reports
// through a jobs::RunReport, asks through the dialogs, and does its database work on a worker
// while the window keeps turning. Failures are reported as "Form3.PushButton2_Click".

#include <QString>
#include <atomic>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include "append/engine/target_counts.h"
#include "append/mark/early_run_mark.h"
#include "append/mark/run_mark.h"
#include "append/refused/refused_rows.h"
#include "append/refused/refused_rows_file.h"
#include "append/refused/refused_state.h"
#include "append/resume/append_journal.h"
#include "append/resume/resume_key.h"
#include "append/resume/resume_state.h"
#include "append/ways/append_statements.h"
#include "append/ways/batch_writer.h"
#include "append/ways/row_buffer.h"
#include "catalogue/column_facts.h"
#include "catalogue/table_definition.h"
#include "catalogue/table_name.h"
#include "connections/connection_profile.h"
#include "copy/script_sending.h"
#include "copy/table_script.h"
#include "jobs/run_report.h"
#include "platform/odbc/adodb.h"
#include "shell/trap.h"

namespace append {

// What a run works from, taken from the page once, when the run starts.
struct AppendRequest {
  std::optional<MSSQL::TableName> table1;  // chosen in Database #1, none when nothing is chosen
  std::optional<MSSQL::TableName> table2;  // chosen in Database #2
  bool appendToDatabase1 = true;  // rows go from table2 into table1; otherwise the other way
  ConnectionProfile profile1;
  ConnectionProfile profile2;
  // Many rows a statement, or the server's own copy when both logins reach the same server.
  bool fast = false;
  // The target is made like the source first, under the target's name (new_target.cpp).
  bool createTarget = false;
  // With createTarget: the run drops a table of the target's name before this table's turn
  // (--existing replace), so a dry run finds the name free.
  bool targetDroppedFirst = false;
  // A Transact-SQL search condition on the source table: only the rows for which it holds are
  // counted, read and copied. Empty: every row.
  QString where{};
  // Seconds a statement may run before it is given up; 0: as long as it takes, nearly.
  int queryTimeout = 0;
  // Whether the run goes on from a run of the same tables that ended short (its journal, see
  // append_journal.h): Ask puts the question when there is one; No starts anew and sets it
  // aside; Yes goes on after the last key it wrote; Force goes on after the largest key the
  // target holds, whatever the journal expects.
  enum class Resume { Ask, No, Yes, Force };
  Resume resume = Resume::Ask;
  // Every run keeps its journal; false only to measure what the journal costs.
  bool journal = true;
  // The target's rows are deleted first, once every check and question has passed: TRUNCATE
  // TABLE, refused before anything is emptied when another table references the target.
  bool emptyTarget = false;
  // With createTarget: the script that makes the target whole, written by the copy of many
  // tables for the run; none: the run reads its source's catalogue and writes it.
  std::optional<copy::TableScript> script{};
  // The foreign keys and triggers of the made table are left to the copy of many tables, which
  // makes them once every table holds its rows.
  bool linksLater = false;
  // The source's key as the copy of many tables read it for every table at once; none: the run
  // reads it itself.
  std::optional<ResumeKey> sourceKey{};
  // The target login's default schema as the command line's checks read it; empty: not read.
  QString targetDefaultSchema{};
};

// One run. Everything it opens or buffers is released when the engine goes.
class AppendEngine {
 public:
  AppendEngine(AppendRequest request, jobs::RunReport& report);
  ~AppendEngine();
  AppendEngine(const AppendEngine&) = delete;
  AppendEngine& operator=(const AppendEngine&) = delete;

  // The whole run, from the selection check to the resting state. It stops at once, leaving
  // the rows written so far, when the program ends meanwhile.
  void Run();

  // From the window's thread while the run waits on its worker: the run stops after the row
  // being written, and the closing message says so.
  void Stop();

  // Keeps the rows the server refuses in `file`, replacing it, instead of in a new file under
  // the user's data folder.
  void KeepRefusedRowsIn(const QString& file) { refused_.path = file; }

  // Stops the run after the `count`th refused row, as a stop would: the rows written before
  // stay. Without it, every refused row is lost alone and the run goes on.
  void StopAfterRefusedRows(qint64 count) { refused_.limit = count; }

  // Keeps the closing message (or the word that the source has no rows) for ClosingText()
  // instead of showing it: a run of several tables shows one box for all of them.
  void KeepClosingMessage() { keepClosing_ = true; }
  // The message kept; empty when the run ended before it, at a check, a question or a failure
  // that was shown as it came.
  const QString& ClosingText() const { return closingText_; }

  // Logins already open on both databases (the command line opened them to check the tables it
  // names, in read/write mode): the run works on them instead of logging in again, and closes
  // them when it goes.
  void UseOpenConnections(std::unique_ptr<adodb::Connection> connection1,
                          std::unique_ptr<adodb::Connection> connection2);
  // The run's mark asked for while the command line checked the tables: the run waits for it
  // instead of asking, when its checks prove the name it was asked under.
  void UseEarlyMark(std::unique_ptr<EarlyRunMark> mark) { earlyMark_ = std::move(mark); }
  // After the run, its logins on both databases for the next run between them (the command
  // line's many tables); none for a database whose connection went, or was never opened.
  std::pair<std::unique_ptr<adodb::Connection>, std::unique_ptr<adodb::Connection>>
  HandBackConnections();

  // The ways rows go: one INSERT a row, batches of many rows a statement, or the server's own
  // copy of the rows (INSERT ... SELECT) when both tables are on one server.
  enum class Way { OneInsertARow, Batches, ServerCopy };

  // What the run did, for the command line's summary: the rows appended and refused, the rows
  // not written after the connection to Database #`lostDatabase` was lost (0: none was), and
  // whether it was stopped; the file of the refused rows (empty: none was refused) and the
  // closing message's line naming it, the target's rows after the run when they were counted,
  // and the after-check's line when the target's growth differs from the rows appended or could
  // not be checked.
  struct Outcome {
    qint64 appended = 0;
    qint64 refused = 0;
    qint64 notWritten = 0;
    int lostDatabase = 0;
    bool stopped = false;
    QString refusedFile;
    QString refusedFileLine;
    std::optional<qint64> targetRows;
    QString afterCheck;
    bool atRefusedLimit = false;  // stopped at the limit of refused rows
    QString newTableLine{};       // the table the run made, or dropped again
    QString lostCopyLine{};       // the server's copy lost its connection: how to tell its rows
    std::optional<Way> way{};     // the way the rows went, once rows were to go
    std::optional<qint64> targetBefore{};  // the target's rows before the first was written
    std::optional<qint64> rowsBefore{};    // a resumed run: the rows the cut runs wrote
    QString resumedLine{};                 // a resumed run: both parts and the target's total
    QString journalLine{};      // the journal could not be written: a cut could not be gone on from
    QString leftBehindLine{};   // a resumed run: source rows at or below its key were never sent
    QString unmarkedLine{};     // the target's server could not mark the run as writing there
    bool targetMade = false;    // the run made the target, and it stands
    QStringList objectLines{};  // what the made target lacks: left out, or refused by its server
  };
  Outcome Result() const;  // append_outcome.cpp

  // The table the run made for the rows and left standing (new_target.cpp).
  std::optional<MSSQL::TableName> MadeTable() const;

  // What a run would do, found as a run finds it (the same logins, checks and questions) with
  // nothing written: the way the rows would go and why, how the columns face each other, the
  // source's rows that would go and the target's rows now (empty when they could not be
  // counted).
  enum class Why { NotFast, OneServer, OneServerByPosition, NotProvenOneServer };
  struct Plan {
    Way way = Way::OneInsertARow;
    Why why = Why::NotFast;
    QStringList columns;  // "Name -> Label", in the target's order
    qint64 sourceRows = 0;
    std::optional<qint64> targetRows;
    QStringList script{};                   // the statements that make a new target, in order
    QStringList leftOut{};                  // what the script cannot make, and why
    QString notResumable{};                 // why a run cut off could not go on after its last key
    std::optional<qint64> resumedBefore{};  // --resume: the rows the cut runs wrote
    QStringList resumeAfter{};              // --resume: the key the rows go on after
    bool selfReferencing = false;           // one INSERT a row into a target that references itself
    // On one server, when the target holds rows: how many of the source's rows that would go
    // have a key the target holds already, or why they were not counted.
    std::optional<qint64> keysThere{};
    QString keysNotCounted{};
  };
  // Empty when a check, a question or a failure ends it, as it would end the run
  // (append_dry_run.cpp).
  std::optional<Plan> DryRun();

 private:
  // Where a step leaves the run: on with the next step, on to the finish, or stopped because
  // the program ended.
  enum class Next { Continue, Finish, Stop };
  // How a stretch of rows on the worker ended.
  enum class Stretch { Done, Refused, Stopped, Ended };

  bool SelectionMissing();
  bool PrepareConnections();
  // One run into a target at a time (run_mark.h): false, said, when another run holds it.
  bool TargetMarked();
  // The mark asked for early when the name it took is proven (early_run_mark.h), else asked
  // for on the target's session now.
  RunMark MarkOfTheRun();
  bool EarlyMarkNameProven(const QString& name) const;
  // The target emptied first, when asked (target_emptied.cpp).
  bool EmptyingRefused();
  bool TargetEmptied();
  int QueryTimeout() const;
  bool OpenConnections();
  // The fast append between two databases of one login (append_fast.cpp): the server's own copy
  // needs one session of it, and the source's login is opened only when rows go in batches.
  bool OneLoginServesBoth() const;
  bool OpenTargetLogin();
  bool FactsReadOnTheTargetsSession();
  bool TablesReadOnTheTargetsSession() const;
  bool SourceLoginOpened();
  // Answers whether the run goes on: it ends when a table cannot be read or the counts differ.
  bool FieldCountsMatch();
  bool FieldCountsEqual();
  // The field-count check, the look at the columns, the source, the reading, the writing and
  // the closing message.
  Next CopyRows();
  Next LookAtColumns();
  bool FillsWaitForARefusal() const;
  std::optional<Next> ServerCopyEnded();
  bool TargetFillsRead();
  void PlanRows();
  Next AskColumnOrder(const MSSQL::TableFacts& source, const MSSQL::TableFacts& target);
  Next CopyRowsOneByOne();
  bool StoppedBeforeWriting();
  bool IdentityInsertOn();
  void IdentityInsertOff();
  bool OpenSource();
  Next ReadSource();
  Stretch ReadRows(int& failedLine, std::exception_ptr& failure);
  // The next row to write into `row`, false after the last; throws when the source fails.
  using NextRow = std::function<bool(Row&)>;
  NextRow StreamedRows();
  Next WriteRows(const NextRow& next);
  Stretch WriteRowsUntilRefused(const NextRow& next, Row& row, std::exception_ptr& refusal,
                                bool& sourceFailed);
  void Refused(std::exception_ptr refusal, const Row& row);
  // A target that references itself (self_reference.cpp).
  bool TargetReferencesItself();
  bool Deferred(const std::exception_ptr& refusal, const Row& row);
  void WriteDeferredRows();
  void RefusedText(const QString& description, const Row& row);
  bool AtRefusedLimit();
  void KeepRefusedRow(const Row& row, const QString& description);
  bool ConnectionLost(std::exception_ptr failure, int database, int line = 148);
  int TargetDatabase() const;
  QString ClosingMessage() const;
  void ShowClosing(const QString& text);  // append_outcome.cpp

  // The after-check (after_check.cpp): the target's rows counted before the first row and
  // after the last, on the target's connection.
  void CountTargetBefore();
  void CountTargetAfter();
  std::optional<qint64> CountTargetRows();
  void CountWhatTheGivenUpStatementWrote();
  std::optional<qint64> CountCopyAndTarget(adodb::Connection& connection);
  QString AfterCheckLine() const;

  // The target made like the source (new_target.cpp).
  bool TargetMadeLikeSource();
  bool TargetNameFree(QString& collation);
  bool TargetScriptRead(const QString& collation);
  bool NewTargetPlanned(QStringList& script, QStringList& leftOut);
  bool MakeTarget();
  void MakeTheRestOfTheTarget();
  QStringList ObjectLines() const;
  void DropTargetMadeIfEmpty();
  QString NewTargetLine() const;

  // The fast append (append_fast.cpp).
  bool CountSourceRows();
  bool NoRowsToCopy();
  Next CopyRowsFast();
  bool OnOneServer() const;
  // Whether the rows go by the server's own copy: both tables on one server, and a target that
  // takes its columns by name.
  bool ServerCopies() const;
  std::optional<Plan> PlanOfTheRun();
  void CountKeysThere(Plan& plan);
  QStringList FacingColumns() const;
  // Whether both connections reach one server instance, as the servers prove it (one_server.cpp).
  void ProveOneServer();
  bool TargetSeesTheSourcesMark();
  QString SourceDatabase() const;
  MSSQL::TableName SourceAsItsSessionNamesIt() const;
  bool CopiedByServer();
  bool CopiesOnTheSourcesSession() const;
  QString CopyStatementOfTheRun(bool fromHere) const;
  QString TargetDatabaseName() const;
  QString LostCopyLine() const;
  void CountWhatTheStoppedCopyWrote();
  std::optional<qint64> TargetCountedOnASessionOfItsOwn();
  void CountSourceAfterLoss();
  Next StreamRows();
  Stretch StreamStretch(std::exception_ptr& failure, bool& sourceFailed);
  Stretch StreamInto(BatchWriter& writer, std::exception_ptr& failure, bool& sourceFailed);
  BatchWriter NewBatchWriter();
  Stretch StreamFromBuffer(std::exception_ptr& failure);
  bool SameTable();
  void Finish();

  // Going on from a cut run, and the journal of this one (engine_resume.cpp).
  Next DecideResume();
  QString SchemaOf(const QString& resolved, const MSSQL::TableName& table) const;
  QString JournalPathOfTheRun() const;
  bool GoOnFrom(const JournalRecord& cut);
  bool ResumeOfTheDryRun();
  bool SameRunAs(const JournalHeader& header);
  bool TargetCountedAfterWriters();
  bool ResumePointFound(const JournalRecord& cut);
  bool SourceBelowTheKeyCounted();
  QString LeftBehindLine() const;
  bool GoOnAfterLargestKey(const JournalRecord& cut);
  bool CutCopyWasWritten(const JournalRecord& cut, qint64 growth);
  void CannotResume(const QString& why);
  bool KeyRead();
  QString SourceCondition() const;
  QString SourceOrder() const;
  void BeginJournal(Way way);
  void EndJournal();
  QString ResumedLine() const;
  QString JournalLine() const;
  const ConnectionProfile& SourceProfile() const;
  const ConnectionProfile& TargetProfile() const;

  adodb::Connection& SourceConnection();
  adodb::Connection& TargetConnection();
  const MSSQL::TableName& SourceTable() const;
  const MSSQL::TableName& TargetTable() const;
  const MSSQL::TableFacts& SourceFacts() const;
  const MSSQL::TableFacts& TargetFacts() const;

  AppendRequest request_;
  jobs::RunReport& report_;
  shell::Trap on_;
  std::unique_ptr<adodb::Connection> connection1_;
  std::unique_ptr<adodb::Connection> connection2_;
  bool connectionsOpen_ = false;  // handed over open by UseOpenConnections
  bool sourceDeferred_ = false;   // the source's login waits until rows go in batches
  bool oneServer_ = false;        // proven by the servers (ProveOneServer)
  std::optional<MSSQL::TableFacts> facts1_;
  std::optional<MSSQL::TableFacts> facts2_;
  InsertTarget insertTarget_;
  bool byName_ = false;             // the user chose to append by name
  bool askedAboutColumns_ = false;  // the run waited on the user's answer about the columns
  bool identityInsertOn_ = false;
  std::unique_ptr<adodb::Recordset> source_;
  RowBuffer rows_;
  // Counted by the worker, shown by the window's thread.
  std::atomic<qint64> rowsRead_ = 0;
  std::atomic<qint64> rowsTaken_ = 0;  // rows taken from the buffer to be written
  std::atomic<bool> stopRequested_ = false;
  qint64 appended_ = 0;
  bool stopped_ = false;
  bool copiedBeforeStop_ = false;              // the server's copy ended before the stop reached it
  bool lostDuringCopy_ = false;                // a connection went during the server's copy
  bool madeTarget_ = false;                    // the run made the target, and it stands
  std::optional<copy::TableScript> script_;    // what makes the new target whole
  QStringList objectsNotMade_;                 // what the script could not make, and why
  std::vector<copy::Refusal> objectsRefused_;  // what the target's server refused of it
  bool droppedTarget_ = false;  // the run made the target and dropped it again, empty
  int lostDatabase_ = 0;        // the database whose connection went while rows were written
  qint64 totalRows_ = 0;        // the rows to be written, as far as known
  std::atomic<adodb::Connection*> cancellable_ = nullptr;  // the server's copy, while it runs
  RefusedState refused_;         // the rows the target refused, their file and their limit
  TargetCounts counts_;          // the after-check's
  std::optional<Way> wayTaken_;  // set when the rows start to go
  bool timedOut_ = false;        // the server's copy ran longer than the query time-out
  bool keepClosing_ = false;
  QString closingText_;
  ResumeState resume_;                       // the journal, the key and where a resumed run goes on
  bool dryRun_ = false;                      // a dry run leaves every journal as it is
  QString targetSchema_;                     // the schema the target's name resolves to
  QString defaultSchema_;                    // the target login's default schema
  std::unique_ptr<EarlyRunMark> earlyMark_;  // asked for while the checks went on
  std::unique_ptr<adodb::Connection> markSession_;  // holds the early mark to the end
  QString markFailure_;        // the server's reason it could not mark the run; empty: marked
  bool everyRowWent_ = false;  // the rows' step reached its end, none left unsent
  qint64 leftBehind_ = 0;
  std::optional<bool> selfReference_;  // the target has a foreign key to itself
  struct DeferredRow {
    Row row;
    std::exception_ptr refusal;
  };
  std::vector<DeferredRow> deferred_;  // refused before their parent was written  // a resumed run:
                                       // source rows at or below its key that no run sent
  QString journalFailure_;             // the system's reason the journal could not be written
  bool endedShort_ = false;            // rows went, and not all of them
};

}  // namespace append
