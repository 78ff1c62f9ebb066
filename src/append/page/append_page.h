#pragma once

// The append page.

#include <functional>
#include <memory>
#include <vector>

#include "catalogue/table_name.h"
#include "shell/page.h"

class QListWidget;
namespace append {
struct AppendRequest;
class AppendEngine;
}  // namespace append
namespace Ui {
class Form3;
}
namespace wizard {
class Wizard;
}

class Form3 : public shell::Page {
  Q_OBJECT
 public:
  explicit Form3(wizard::Wizard& wizard);
  ~Form3() override;

  void Form_Load();
  // "Start Appending": the append engine, or one for each of several source tables.
  void PushButton2_Click();
  // "Fast append": stores the choice.
  void Check1_Click();
  // "Into a new table", or the direction: the target's list is greyed while a new table is to be
  // made.
  void Check2_Click();
  // "Switch SQL Server DB": back to the connection page.
  void PushButton5_Click();

 private:
  void ConnectPointerHandlers();
  // The list of the database the rows come from takes several tables, the other one; the target's
  // list is greyed while a new table is to be made or several sources are chosen.
  void ShowListModes();
  QListWidget& SourceList() const;
  QListWidget& TargetList() const;
  void AppendOneTable();
  // Each source into the target's table of its name, and one closing box for all.
  void AppendManyTables(std::vector<MSSQL::TableName> sources);
  // Runs `run` with the page's input locked and the button reading "Stop Appending", which
  // calls `stop`.
  void RunLocked(const std::function<void()>& run, std::function<void()> stop);
  // The table chosen in each list, the direction and both logins, as they stand.
  append::AppendRequest TakeAppendRequest() const;
  // With "Into a new table": the new table's name, asked for with the source's offered; false
  // when the user gives none or a name the command cannot take.
  bool NewTableNamed(append::AppendRequest& request) const;
  static void ListMadeTable(const MSSQL::TableName& made, QListWidget& list);

  std::unique_ptr<Ui::Form3> ui_;
  wizard::Wizard& wizard_;
  // Stops the run in progress; empty at rest.
  std::function<void()> stopRun_;
};
