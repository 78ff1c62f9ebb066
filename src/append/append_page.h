#pragma once

// The append page.

#include <memory>

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
  // "Start Appending": the append engine.
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
  // The table chosen in each list, the direction and both logins, as they stand.
  append::AppendRequest TakeAppendRequest() const;
  // With "Into a new table": the new table's name, asked for with the source's offered; false
  // when the user gives none or a name the command cannot take.
  bool NewTableNamed(append::AppendRequest& request) const;
  static void ListMadeTable(const append::AppendEngine& engine, QListWidget& list);

  std::unique_ptr<Ui::Form3> ui_;
  wizard::Wizard& wizard_;
  // The run in progress, which the button stops; none at rest.
  append::AppendEngine* appending_ = nullptr;
};
