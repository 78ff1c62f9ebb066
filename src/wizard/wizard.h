#pragma once

// Owns the four pages of the wizard. A page is created, and its Form_Load run, the first time
// it is asked for; it then lives, shown or hidden, until the program ends.

#include <memory>

class Form1;
class Form2;
class Form3;
class Form4;

namespace wizard {

class Wizard {
 public:
  Wizard();
  ~Wizard();

  // Loads the connection page, whose load is the start-up, and shows it unless the start-up
  // already moved on to the mode choice page.
  void Start();

  Form1& form1();
  Form2& form2();
  Form3& form3();
  Form4& form4();

  bool IsLoaded2() const { return form2_ != nullptr; }
  bool IsLoaded3() const { return form3_ != nullptr; }
  bool IsLoaded4() const { return form4_ != nullptr; }

 private:
  template <class Form>
  Form& Load(std::unique_ptr<Form>& form);

  std::unique_ptr<Form1> form1_;
  std::unique_ptr<Form4> form4_;
  std::unique_ptr<Form2> form2_;
  std::unique_ptr<Form3> form3_;
};

}  // namespace wizard
