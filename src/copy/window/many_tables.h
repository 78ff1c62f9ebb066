#pragma once

// The window's copy of several tables: the copy plan read on sessions of the run's own (the
// targets of the same names, the order of the foreign keys, what the targets there hold, the
// scripts of the new ones), then each table appended by an append engine of its own, into the
// table of the same name in the other database or into a new table of its name there. A
// table's error reports and questions show as they come; its closing message is kept, and one
// box at the end lists what became of every table. It knows no window.

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "append/engine/append_engine.h"
#include "catalogue/table_name.h"
#include "copy/copy_plan.h"
#include "jobs/run_report.h"
#include "shell/trap.h"

namespace copy {

class ManyTables {
 public:
  // `request`: the direction, both logins and the options; the pair of tables is filled in for
  // each table. `sources`: the tables chosen, as the list names them.
  ManyTables(append::AppendRequest request, std::vector<MSSQL::TableName> sources,
             jobs::RunReport& report);
  ManyTables(const ManyTables&) = delete;
  ManyTables& operator=(const ManyTables&) = delete;

  // Every table in turn, then the closing box; when the program ends meanwhile, nothing more.
  void Run();

  // From the window's thread while a table runs: that table stops after the row being written,
  // and no other starts.
  void Stop();

  // The tables the runs made and left standing.
  const std::vector<MSSQL::TableName>& MadeTables() const { return made_; }

 private:
  // Hands a table's progress on; the busy pointer stays from the first table to the closing box.
  class TableReport : public jobs::RunReport {
   public:
    explicit TableReport(jobs::RunReport& whole) : whole_(whole) {}
    void Busy(bool) override {}
    void Reading(qint64 rowsRead) override { whole_.Reading(rowsRead); }
    void Progress(qint64 done, qint64 total) override { whole_.Progress(done, total); }
    void RunEnded() override { whole_.RunEnded(); }

   private:
    jobs::RunReport& whole_;
  };

  // A table that ran: where its line and its plan are, and whether the run made it and gave it
  // every row.
  struct Table {
    std::size_t at = 0;  // in sources_ and plan_
    qsizetype line = 0;  // in lines_
    bool madeAndFilled = false;
  };

  // The copy plan (many_tables_plan.cpp); false, told, when it cannot be read.
  bool Planned();
  // The plan read on the run's sessions.
  void ReadPlan();
  // A table's run works on the run's sessions and gives them back; one it lost is opened again
  // by the next.
  void LendSessions(append::AppendEngine& engine);
  void TakeSessionsBack(append::AppendEngine& engine);
  // New tables whose names are taken already: the user says whether the rows go into them or
  // they are left as they are (Cancel: nothing is written); true when the run goes on.
  bool ExistingTargetsDecided();
  // The foreign keys and triggers of the tables made, once every table holds its rows.
  void MakeLinks();
  // The closing box's line for the `at`th source.
  QString AppendOne(std::size_t at);
  QString RunEngine(std::size_t at, const MSSQL::TableName& target, bool make);
  int TargetDatabase() const { return request_.appendToDatabase1 ? 1 : 2; }

  append::AppendRequest request_;
  std::vector<MSSQL::TableName> sources_;  // as the list names them, in the plan's order
  std::vector<PlannedTable> plan_;         // one a source
  QString targetSchema_;                   // the target login's default schema
  jobs::RunReport& report_;
  TableReport tableReport_;
  append::AppendEngine* running_ = nullptr;  // the table under way, which a stop reaches
  bool stopRequested_ = false;
  QStringList lines_;
  std::vector<MSSQL::TableName> made_;
  shell::Trap on_{QStringLiteral("Form3.PushButton2_Click")};
  // The run's sessions, one a side, which every table's run works on in turn; the target's
  // makes the links.
  std::unique_ptr<adodb::Connection> source_;
  std::unique_ptr<adodb::Connection> target_;
  std::vector<Table> tables_;
  bool keepExisting_ = false;  // the tables there are left as they are, not appended to
};

// The lines of the closing box (many_tables_message.cpp). A table that ran and reached its end:
// "Orders: 1000 rows appended to dbo.Orders", "Orders: stopped after 20 rows", with the rows
// refused and their file, and the lines of the new table and the after-check below it.
QString TableLine(const QString& source, const QString& target,
                  const append::AppendEngine::Outcome& outcome);
// A table whose run ended at a check, a question or a failure, which was shown as it came.
QString NotAppendedLine(const QString& source);
QString NoTargetLine(const QString& source, int targetDatabase);
QString NotStartedLine(const QString& source);
QString KeptLine(const QString& source, const QString& target, qint64 rows);
// "Done." or "Stopped.", then a line for every table.
QString ManyTablesMessage(const QStringList& lines, bool stopped);

}  // namespace copy
