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
#include <functional>
#include <mutex>

namespace password_store {

bool IsPasswordKey(const QString& key);

// The stored password for the command line: the file's when it holds one, else the keyring's,
// else empty. Writes nothing; may wait for the keyring.
QString ReadStored(const QString& key);

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

  // While the keyring answers, returns at once: the keyring takes the saves in order on a
  // thread of its own, only the last of a key's waiting values is written, and a value it
  // refuses goes to the file. Otherwise writes the file at once and throws as the settings do.
  void Save(const QString& key, const QString& value);

  // Returns when every save has reached its store.
  void WaitForSaves();

 private:
  QString LoadOne(const QString& key);
  void SaveWaiting();
  void Report(const QString& key, const QString& description);

  FailureReport report_;
  QObject windowThread_;
  std::atomic<bool> usesKeyring_ = false;
  std::mutex mutex_;
  QMap<QString, QString> waiting_;
  bool saving_ = false;
  QThreadPool saver_;
};
