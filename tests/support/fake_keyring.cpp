#include "support/fake_keyring.h"

namespace {

struct NoKeyring : keyring::Backend {
  keyring::Answer Read(const QString&) override { return {}; }
  keyring::Answer Write(const QString&, const QString&) override { return {}; }
};

}  // namespace

FakeKeyring::FakeKeyring() {
  keyring::SetBackend(this);
}

FakeKeyring::~FakeKeyring() {
  InstallNone();
}

void FakeKeyring::InstallNone() {
  static NoKeyring none;
  keyring::SetBackend(&none);
}

keyring::Answer FakeKeyring::Read(const QString& key) {
  const std::lock_guard lock(mutex_);
  const auto entry = entries_.find(key);
  if (entry == entries_.end()) return {keyring::Outcome::NotFound, {}, {}};
  return {keyring::Outcome::Done, entry->second, {}};
}

keyring::Answer FakeKeyring::Write(const QString& key, const QString& text) {
  std::unique_lock lock(mutex_);
  released_.wait(lock, [this] { return !held_; });
  if (refusesWrites) return {keyring::Outcome::NoAnswer, {}, QStringLiteral("locked")};
  entries_[key] = text;
  writes_ << key + QLatin1Char('=') + text;
  return {keyring::Outcome::Done, {}, {}};
}

std::map<QString, QString> FakeKeyring::Entries() const {
  const std::lock_guard lock(mutex_);
  return entries_;
}

QStringList FakeKeyring::Writes() const {
  const std::lock_guard lock(mutex_);
  return writes_;
}

void FakeKeyring::HoldWrites() {
  const std::lock_guard lock(mutex_);
  held_ = true;
}

void FakeKeyring::ReleaseWrites() {
  {
    const std::lock_guard lock(mutex_);
    held_ = false;
  }
  released_.notify_all();
}
