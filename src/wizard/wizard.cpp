#include "wizard/wizard.h"

#include <QApplication>
#include <QScopeGuard>

#include "append/page/append_page.h"
#include "connections/connection_page.h"
#include "join/join_page.h"
#include "mode/mode_choice_page.h"

namespace wizard {

Wizard::Wizard() = default;

Wizard::~Wizard() = default;

// A page's load may wait on a database (the table lists); the pointer says so meanwhile.
template <class Form>
Form& Wizard::Load(std::unique_ptr<Form>& form) {
  if (!form) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    form = std::make_unique<Form>(*this);
    form->Form_Load();
  }
  return *form;
}

void Wizard::Start() {
  Form1& connectionPage = form1();
  if (!form4_ || !form4_->isVisible()) connectionPage.Show();
}

Form1& Wizard::form1() {
  return Load(form1_);
}
Form2& Wizard::form2() {
  return Load(form2_);
}
Form3& Wizard::form3() {
  return Load(form3_);
}
Form4& Wizard::form4() {
  return Load(form4_);
}

}  // namespace wizard
