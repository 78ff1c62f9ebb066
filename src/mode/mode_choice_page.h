#pragma once

// The mode choice page.

#include <memory>

#include "shell/page.h"

namespace Ui {
class Form4;
}
namespace wizard {
class Wizard;
}

class Form4 : public shell::Page {
  Q_OBJECT
 public:
  explicit Form4(wizard::Wizard& wizard);
  ~Form4() override;

  void Form_Load();
  // "Next >": the append page for the vertical choice, the join page for the horizontal one.
  void PushButton3_Click();
  // "< Back": the connection page.
  void PushButton2_Click();

 protected:
  void WindowClosing() override { Form_QueryUnload(); }

 private:
  void Form_QueryUnload();

  std::unique_ptr<Ui::Form4> ui_;
  wizard::Wizard& wizard_;
};
