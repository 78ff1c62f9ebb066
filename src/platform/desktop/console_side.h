#pragma once

// What the terminal needs of the system it runs on: whether a standard stream is a terminal,
// echo turned off while a secret is typed, back on on every way out (also when the program is
// ended at the prompt), the text of a console window read and written as it is typed and shown.

#include <QString>
#include <memory>
#include <optional>

namespace console_side {

bool InputIsTerminal();
bool ErrorIsTerminal();

// Reads one line typed into a console window, without its end, as the characters typed (the
// empty optional at the end of the input). False when standard input is no console whose bytes
// need reading so (a Unix terminal hands on UTF-8 as it is): the caller reads the bytes.
bool ReadConsoleLine(std::optional<QString>& line);

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

// While it lives, a console window shows every character the program writes to standard
// output and standard error, which are UTF-8 as they are everywhere. A Windows console reads the
// bytes written to it in a code page of its own (and the C library may hand them on byte by
// byte): there both streams, where they are the console, go through one pipe, in the order
// written, whose text reaches the console as the characters themselves. A stream that is a file
// or a pipe is not touched. What was written reaches the console before the end of its life.
class Utf8Console {
 public:
  Utf8Console();
  ~Utf8Console();
  Utf8Console(const Utf8Console&) = delete;
  Utf8Console& operator=(const Utf8Console&) = delete;

 private:
  struct Relay;
  std::unique_ptr<Relay> relay_;
};

}  // namespace console_side
