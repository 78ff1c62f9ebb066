#include "connections/password_store.h"

#include "connections/profile_settings.h"
#include "platform/desktop/keyring.h"
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

Stored ReadStored(const QString& key) {
  if (profile_settings::Has(key)) return {profile_settings::Read(key), {}};
  const keyring::Answer answer = keyring::ReadWithin(key, kCommandLinePatience);
  return {answer.text, answer.late ? answer.error : QString()};
}

QString Describe() {
  const keyring::Answer answer = keyring::ReadWithin(Keys().constFirst(), kCommandLinePatience);
  if (answer.outcome != keyring::Outcome::NoAnswer) {
    return QStringLiteral("Passwords: %1 (service \"%2\").")
        .arg(keyring::StoreName(), QLatin1String(keyring::kService));
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
  const std::lock_guard lock(mutex_);
  stored_.insert(passwords);
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
      typed_[key] = value;
      return;
    }
    typed_.remove(key);
  }
  profile_settings::Write(key, value);
}

void PasswordStore::Commit() {
  const std::lock_guard lock(mutex_);
  for (auto typed = typed_.cbegin(); typed != typed_.cend(); ++typed) {
    const auto stored = stored_.constFind(typed.key());
    if (stored != stored_.cend() && *stored == typed.value()) continue;
    waiting_[typed.key()] = *typed;
    committed_[typed.key()] = *typed;
  }
  typed_.clear();
  if (waiting_.isEmpty() || saving_) return;
  saving_ = true;
  saver_.start([this] { SaveWaiting(); });
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
      if (!usesKeyring_ || !password_store::IntoKeyring(key, value)) {
        usesKeyring_ = false;
        profile_settings::Write(key, value);
      }
      const std::lock_guard lock(mutex_);
      stored_[key] = value;
    } catch (...) {
      Report(key, shell::DescriptionOf(std::current_exception()));
    }
  }
}

void PasswordStore::WaitForSaves() {
  saver_.waitForDone();
}

void PasswordStore::FinishSaves(std::chrono::seconds limit) {
  if (saver_.waitForDone(static_cast<int>(std::chrono::milliseconds(limit).count()))) return;
  QMap<QString, QString> unsaved;
  {
    const std::lock_guard lock(mutex_);
    for (auto value = committed_.cbegin(); value != committed_.cend(); ++value) {
      if (stored_.value(value.key()) != *value || !stored_.contains(value.key())) {
        unsaved.insert(value.key(), *value);
      }
    }
  }
  for (auto value = unsaved.cbegin(); value != unsaved.cend(); ++value) {
    profile_settings::Write(value.key(), *value);
  }
}

void PasswordStore::Report(const QString& key, const QString& description) {
  QMetaObject::invokeMethod(
      &windowThread_, [this, key, description] { report_(key, description); },
      Qt::QueuedConnection);
}
