#include "connections/password_store.h"

#include "connections/profile_settings.h"
#include "platform/keyring.h"
#include "shell/trap.h"

namespace password_store {
namespace {

const QStringList& Keys() {
  static const QStringList keys = {QStringLiteral("Password"), QStringLiteral("Password2")};
  return keys;
}

// The keyring first, then the file's copy goes; false when the keyring did not take it.
bool IntoKeyring(const QString& key, const QString& value) {
  if (keyring::Write(key, value).outcome != keyring::Outcome::Done) return false;
  if (profile_settings::Has(key)) profile_settings::Remove(key);
  return true;
}

}  // namespace

bool IsPasswordKey(const QString& key) {
  return Keys().contains(key);
}

QString ReadStored(const QString& key) {
  if (profile_settings::Has(key)) return profile_settings::Read(key);
  return keyring::Read(key).text;
}

QString Describe() {
  const keyring::Answer answer = keyring::Read(Keys().constFirst());
  if (answer.outcome != keyring::Outcome::NoAnswer) {
    return QStringLiteral("Passwords: the desktop's keyring (service \"%1\").")
        .arg(QLatin1String(keyring::kService));
  }
  return QStringLiteral("Passwords: the settings file %1 (no keyring answered: %2).")
      .arg(profile_settings::FilePath(), answer.error);
}

}  // namespace password_store

PasswordStore::PasswordStore(FailureReport report) : report_(std::move(report)) {
  saver_.setMaxThreadCount(1);
}

PasswordStore::~PasswordStore() {
  WaitForSaves();
}

QMap<QString, QString> PasswordStore::Load() {
  QMap<QString, QString> passwords;
  usesKeyring_ = true;
  for (const QString& key : password_store::Keys()) {
    try {
      passwords[key] = LoadOne(key);
    } catch (...) {
      // Only removing the file's copy can fail, after the keyring took it.
      passwords[key] = profile_settings::Read(key);
      Report(key, shell::DescriptionOf(std::current_exception()));
    }
  }
  return passwords;
}

QString PasswordStore::LoadOne(const QString& key) {
  if (profile_settings::Has(key)) {
    const QString value = profile_settings::Read(key);
    if (usesKeyring_) usesKeyring_ = password_store::IntoKeyring(key, value);
    return value;
  }
  if (!usesKeyring_) return QString();
  const keyring::Answer answer = keyring::Read(key);
  usesKeyring_ = answer.outcome != keyring::Outcome::NoAnswer;
  return answer.text;
}

void PasswordStore::Save(const QString& key, const QString& value) {
  {
    const std::lock_guard lock(mutex_);
    if (usesKeyring_ || saving_) {
      waiting_[key] = value;
      if (!saving_) saver_.start([this] { SaveWaiting(); });
      saving_ = true;
      return;
    }
  }
  profile_settings::Write(key, value);
}

// Runs on the saver's thread until nothing waits.
void PasswordStore::SaveWaiting() {
  for (;;) {
    QString key;
    QString value;
    {
      const std::lock_guard lock(mutex_);
      if (waiting_.isEmpty()) {
        saving_ = false;
        return;
      }
      key = waiting_.firstKey();
      value = waiting_.take(key);
    }
    try {
      if (usesKeyring_ && password_store::IntoKeyring(key, value)) continue;
      usesKeyring_ = false;
      profile_settings::Write(key, value);
    } catch (...) {
      Report(key, shell::DescriptionOf(std::current_exception()));
    }
  }
}

void PasswordStore::WaitForSaves() {
  saver_.waitForDone();
}

void PasswordStore::Report(const QString& key, const QString& description) {
  QMetaObject::invokeMethod(
      &windowThread_, [this, key, description] { report_(key, description); },
      Qt::QueuedConnection);
}
