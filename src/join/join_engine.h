#pragma once

// The work behind "Start Joining": two tables of Database #1 are copied into the staging tables
// s_t1 and s_t2 under unique column names, joined by the server into a new table with one
// SELECT ... INTO, and the staging copies dropped again. The engine fetches no data row itself.

#include <QString>
#include <memory>
#include <optional>

#include "connections/connection_profile.h"

class QListWidget;
class FieldNameRegistry;
namespace adodb {
class Connection;
}
namespace shell {
class Page;
class Trap;
}  // namespace shell

// The four choices of the join page, read once when the run starts.
struct JoinSelection {
  QString table1;
  QString field1;
  QString table2;
  QString field2;
};

class JoinEngine {
 public:
  // The engine touches the page's pointer and its two table lists, nothing else of the page.
  JoinEngine(shell::Page& page, QListWidget& list1, QListWidget& list3,
             FieldNameRegistry& registry);
  ~JoinEngine();

  // One run; a missing selection is the empty optional.
  void Run(const std::optional<JoinSelection>& selection, const ConnectionProfile& profile1);

 private:
  struct Run_;
  bool RefusedSources(const JoinSelection& selection) const;
  bool Connect(shell::Trap& on, Run_& run, const ConnectionProfile& profile1);
  void ReadFields(shell::Trap& on, Run_& run);
  bool HasUnnamedField(const Run_& run) const;
  QString AskNewName(shell::Trap& on, Run_& run);
  void BuildJoinedTable(shell::Trap& on, Run_& run);
  void EndOverwrite(shell::Trap& on, Run_& run, bool joined);
  void Execute(shell::Trap& on, int line, Run_& run, const QString& statement, bool* ok = nullptr);
  void AnnounceNewTable(shell::Trap& on, const QString& name);

  shell::Page& page_;
  QListWidget& list1_;
  QListWidget& list3_;
  FieldNameRegistry& registry_;
};
