#pragma once

// The desktop's keyring: secrets kept encrypted for the user by the system (Secret Service on
// Linux, Credential Manager on Windows, Keychain on macOS), one text a key under the service
// "Ombrelia". Every call waits for the keyring's answer, which may take as long as the user
// needs to unlock it: never call it on the window's thread.

#include <QString>
#include <chrono>

namespace keyring {

inline constexpr char kService[] = "Ombrelia";

// The keyring as its users know it, for the words the program says of it: "the desktop's
// keyring", or on Windows "the Windows Credential Manager".
QString StoreName();

enum class Outcome {
  Done,      // read or written
  NotFound,  // the keyring answered that it holds no such key
  NoAnswer,  // no keyring, a locked one the user did not unlock, or a refusal
};

struct Answer {
  Outcome outcome = Outcome::NoAnswer;
  QString text;       // what a read found
  QString error;      // the keyring's own words when it did not answer
  bool late = false;  // this read gave up waiting for the keyring
};

class Backend {
 public:
  virtual ~Backend() = default;
  virtual Answer Read(const QString& key) = 0;
  virtual Answer Write(const QString& key, const QString& text) = 0;
};

Answer Read(const QString& key);
Answer Write(const QString& key, const QString& text);

// A read that waits at most `limit`, for a caller that cannot wait for the user (the command
// line): a keyring that has not answered by then counts as none, and is not asked again while
// the program runs.
Answer ReadWithin(const QString& key, std::chrono::seconds limit);

// Replaces the backend; nullptr restores the desktop's own keyring.
void SetBackend(Backend* backend);

}  // namespace keyring
