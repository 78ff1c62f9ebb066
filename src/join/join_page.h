#pragma once

// The join page.

#include <memory>

#include "join/field_name_registry.h"
#include "join/join_engine.h"
#include "shell/page.h"

class QListWidget;
namespace shell {
class Trap;
}
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
  // A field listing of one group: whether one runs, and whether a newer choice of table came
  // while it ran.
  struct FieldListing {
    bool running = false;
    bool superseded = false;
  };

  void ShowFields(const QListWidget& tables, QListWidget& fields, FieldListing& listing,
                  const QString& handler);
  void ListFields(const QListWidget& tables, QListWidget& fields, FieldListing& listing,
                  shell::Trap& on);
  void ConnectPointerHandlers();
  std::optional<JoinSelection> TakeSelection() const;
  void Join(const std::optional<JoinSelection>& selection);

  std::unique_ptr<Ui::Form2> ui_;
  FieldNameRegistry registry_;
  wizard::Wizard& wizard_;
  // The run in progress, which the button stops; none at rest.
  JoinEngine* joining_ = nullptr;
  FieldListing listing1_;
  FieldListing listing3_;
};
