#pragma once

// The append engine: copies every row of a table of one database into a table with the same
// number of columns in the other database, one INSERT per row, showing the page's busy pointer
// and the progress of the writing. Failures are reported as "Form3.PushButton2_Click".

#include <QString>
#include <memory>
#include <optional>

#include "append/refused_rows.h"
#include "append/row_buffer.h"
#include "connections/connection_profile.h"
#include "platform/adodb.h"
#include "shell/trap.h"

class ProgressBar;
namespace shell {
class Page;
}

namespace append {

// What a run works from, taken from the page once, when the run starts.
struct AppendRequest {
  std::optional<QString> table1;  // the table chosen in Database #1, none when nothing is chosen
  std::optional<QString> table2;  // the table chosen in Database #2
  bool appendToDatabase1 = true;  // rows go from table2 into table1; otherwise the other way
  ConnectionProfile profile1;
  ConnectionProfile profile2;
};

// One run. Everything it opens or buffers is released when the engine goes.
class AppendEngine {
 public:
  AppendEngine(AppendRequest request, shell::Page& page, ProgressBar& progressBar);
  ~AppendEngine();
  AppendEngine(const AppendEngine&) = delete;
  AppendEngine& operator=(const AppendEngine&) = delete;

  // The whole run, from the selection check to the page's resting state. It stops at once,
  // leaving the rows written so far, when the program ends while the window processes events.
  void Run();

 private:
  // Where a step leaves the run: on with the next step, on to the finish, or stopped because
  // the program ended.
  enum class Next { Continue, Finish, Stop };

  bool SelectionMissing();
  bool PrepareConnections();
  bool OpenConnections();
  bool FieldCountsDiffer();
  // The field-count check, the source, the reading, the writing and the closing message.
  Next CopyRows();
  bool OpenSource();
  bool SourceHasRows();
  Next ReadSource();
  Next WriteRows();
  void Insert(const QString& statement);
  void Finish();

  adodb::Connection& SourceConnection();
  adodb::Connection& TargetConnection();
  const QString& SourceTable() const;
  const QString& TargetTable() const;

  AppendRequest request_;
  shell::Page& page_;
  ProgressBar& progressBar_;
  shell::Trap on_;
  std::unique_ptr<adodb::Connection> connection1_;
  std::unique_ptr<adodb::Connection> connection2_;
  std::optional<int> fieldCount1_;
  std::optional<int> fieldCount2_;
  std::unique_ptr<adodb::Recordset> source_;
  RowBuffer rows_;
  int appended_ = 0;
  RefusedRows refused_;
};

}  // namespace append
