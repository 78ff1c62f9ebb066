#pragma once

// Where the two logins' passwords are kept: in the desktop's keyring when it answers, each under
// its settings key ("Password", "Password2"); in the settings file where no keyring answers.
// A password the file still holds (left by an earlier version, or written while no keyring
// answered) is the newer one: the wizard's start moves it into the keyring, and only then
// removes it from the file.

#include <QMap>
#include <QObject>
#include <QString>
#include <QThreadPool>
#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>

namespace password_store {

bool IsPasswordKey(const QString& key);

// How long the command line waits for the keyring, which may be waiting for the user.
inline constexpr std::chrono::seconds kCommandLinePatience{5};

struct Stored {
  QString password;  // empty when none is stored
  QString silence;   // why the keyring was given up while this read waited for it
};

// The stored password for the command line: the file's when it holds one, else the keyring's,
// else empty. Writes nothing; waits for the keyring kCommandLinePatience at most.
Stored ReadStored(const QString& key);

// One line that says where the passwords are kept (and, for the file, why).
QString Describe();

}  // namespace password_store

// The passwords of one run of the wizard.
class PasswordStore {
 public:
  // Tells, on the window's thread, of a save that reached no store.
  using FailureReport = std::function<void(const QString& key, const QString& description)>;

  explicit PasswordStore(FailureReport report);
  // Waits for the saves under way.
  ~PasswordStore();

  // Both passwords by key, each moved from the file into the keyring first where the file holds
  // it. Waits for the keyring: call it off the window's thread. A keyring that does not answer
  // is not asked again in this run.
  QMap<QString, QString> Load();

  // A value typed. While the keyring answers (or until it is known whether it does), the value
  // is kept until Commit: a keyring asked at every key could open a prompt of its own at the
  // first one and take the following keys. Otherwise writes the file at once and throws as the
  // settings do.
  void Save(const QString& key, const QString& value);

  // The typing is over: the values kept since the last commit that differ from the stored ones
  // go to the keyring, which takes them in order on a thread of its own, without waiting for
  // it; only the last of a key's waiting values is written, and a value it refuses goes to
  // the file.
  void Commit();

  // Returns when every committed save has reached its store.
  void WaitForSaves();
  // The same, waiting `limit` at most: the committed values that no store has taken by then go
  // to the file, where the next start finds them. Throws as the settings do.
  void FinishSaves(std::chrono::seconds limit);

 private:
  QString LoadOne(const QString& key);
  void SaveWaiting();
  void Report(const QString& key, const QString& description);

  FailureReport report_;
  QObject windowThread_;
  std::atomic<bool> usesKeyring_ = true;
  std::mutex mutex_;
  QMap<QString, QString> stored_;  // what the stores hold, as loaded or saved
  QMap<QString, QString> typed_;
  QMap<QString, QString> committed_;
  QMap<QString, QString> waiting_;
  bool saving_ = false;
  QThreadPool saver_;
};
