#pragma once

// The join page.

#include <memory>

#include "join/field_name_registry.h"
#include "join/join_engine.h"
#include "shell/page.h"

class QListWidget;
namespace Ui {
class Form2;
}
namespace wizard {
class Wizard;
}

class Form2 : public shell::Page {
  Q_OBJECT
 public:
  explicit Form2(wizard::Wizard& wizard);
  ~Form2() override;

  void Form_Load();
  // "Start Joining": the join engine.
  void PushButton2_Click();
  // "Switch SQL Server DB": back to the connection page.
  void PushButton5_Click();
  // A table chosen in either group: its fields fill the list beside it.
  void List1_Click();
  void List3_Click();

 private:
  void ShowFields(const QListWidget& tables, QListWidget& fields, const QString& handler);
  void ConnectPointerHandlers();
  std::optional<JoinSelection> TakeSelection() const;
  void Join(const std::optional<JoinSelection>& selection);

  std::unique_ptr<Ui::Form2> ui_;
  FieldNameRegistry registry_;
  wizard::Wizard& wizard_;
  // The run in progress, which the button stops; none at rest.
  JoinEngine* joining_ = nullptr;
};
