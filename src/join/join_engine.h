#pragma once

// The work behind "Start Joining": two tables of Database #1 are copied into the staging tables
// s_t1 and s_t2 under unique column names, joined by the server into a new table with one
// SELECT ... INTO, and the staging copies dropped again. The engine fetches no data row itself,
// knows no window, and runs each statement on a worker while the window keeps turning.

#include <QString>
#include <QStringList>
#include <array>
#include <atomic>
#include <memory>
#include <optional>
#include <vector>

#include "catalogue/table_name.h"
#include "connections/connection_profile.h"
#include "jobs/run_report.h"

class FieldNameRegistry;
namespace adodb {
class Connection;
}
namespace shell {
class Trap;
}  // namespace shell

// The four choices of the join page, read once when the run starts.
struct JoinSelection {
  MSSQL::TableName table1;
  QString field1;
  MSSQL::TableName table2;
  QString field2;
};

// What a join tells its page beyond being busy: the changes to the page's two table lists
// (List1, the first group's, and List3, the second group's).
class JoinReport : public jobs::RunReport {
 public:
  enum class TableList { List1, List3 };
  // Removes every entry exactly equal to the name.
  virtual void RemoveTable(TableList list, const QString& name) = 0;
  virtual void AddTable(TableList list, const QString& name) = 0;

  void Reading(qint64) override {}
  void Progress(qint64, qint64) override {}
  void RunEnded() override {}
};

class JoinEngine {
 public:
  JoinEngine(JoinReport& report, FieldNameRegistry& registry);
  ~JoinEngine();

  // One run; a missing selection is the empty optional. `tables1` are the tables the first
  // group lists, for the overwrite question.
  void Run(const std::optional<JoinSelection>& selection, const ConnectionProfile& profile1,
           const std::vector<MSSQL::TableName>& tables1);

  // From the window's thread while the run waits on its worker: the statement in progress is
  // cancelled through the driver, no table is created, and the staging copies are still dropped.
  void Stop();

  // A login already open on Database #1 and the fields of both tables as it read them (the
  // command line opened it to check the names): the next run works on it instead of logging in
  // and asking again, and closes it when it ends.
  void UseOpenConnection(std::unique_ptr<adodb::Connection> connection, QStringList fields1,
                         QStringList fields2);

  // The rows of the table the last run made, as the join statement counted them; none when no
  // table was made or the driver did not count.
  std::optional<qint64> JoinedRows() const { return joinedRows_; }

 private:
  struct Run_;
  bool RefusedSources(const JoinSelection& selection) const;
  bool Connect(shell::Trap& on, Run_& run, const ConnectionProfile& profile1);
  void ReadFields(shell::Trap& on, Run_& run);
  bool LookAtDatabase(Run_& run);
  bool ForeignStagingTable(const Run_& run) const;
  void GiveAliases(shell::Trap& on, Run_& run);
  bool HasUnnamedField(const Run_& run) const;
  QString AskNewName(shell::Trap& on, Run_& run, const std::vector<MSSQL::TableName>& tables1);
  bool BeginOverwrite(shell::Trap& on, Run_& run);
  void BuildJoinedTable(shell::Trap& on, Run_& run);
  void DropCopiesLeft(shell::Trap& on, Run_& run);
  void MakeStagingCopy(shell::Trap& on, Run_& run, int i);
  bool BeganCopyTransaction(Run_& run);
  bool NoteCopyMade(Run_& run, int i, bool sent);
  void EndCopyTransaction(shell::Trap& on, Run_& run, int i, bool noted);
  void DropCopiesMade(shell::Trap& on, Run_& run);
  void EndOverwrite(shell::Trap& on, Run_& run, bool joined);
  void Execute(shell::Trap& on, int line, Run_& run, const QString& statement, bool* ok = nullptr,
               bool always = false);

  bool MadeBeforeTheStop(shell::Trap& on, Run_& run);
  void AnnounceNewTable(shell::Trap& on, const QString& name, bool afterStop);
  void AnnounceLoss(shell::Trap& on, const Run_& run);
  void AnnounceStop(shell::Trap& on, bool staged);

  JoinReport& report_;
  FieldNameRegistry& registry_;
  adodb::Connection* connection_ = nullptr;  // the run's connection, for Stop
  std::atomic<bool> stopped_ = false;
  bool cancellable_ = true;  // false once the staging copies are being dropped
  std::unique_ptr<adodb::Connection> handedConnection_;
  QStringList handedFields_[2];
  std::optional<qint64> joinedRows_;
};
