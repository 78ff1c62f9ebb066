#pragma once

// What the terminal needs of the system it runs on: whether a standard stream is a terminal,
// and echo turned off while a secret is typed, back on on every way out (also when the program
// is ended at the prompt).

#include <memory>

namespace console_side {

bool InputIsTerminal();
bool ErrorIsTerminal();

class EchoOff {
 public:
  EchoOff();
  ~EchoOff();
  EchoOff(const EchoOff&) = delete;
  EchoOff& operator=(const EchoOff&) = delete;

 private:
  struct Saved;
  std::unique_ptr<Saved> saved_;
};

}  // namespace console_side
