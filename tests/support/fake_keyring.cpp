#include "support/fake_keyring.h"

namespace {
struct NoKeyring : keyring::Backend {
  keyring::Answer Read(const QString&) override { return {}; }
  keyring::Answer Write(const QString&, const QString&) override { return {}; }
};
}  // namespace

void FakeKeyring::InstallNone() {
  static NoKeyring none;
  keyring::SetBackend(&none);
}

keyring::Answer FakeKeyring::Read(const QString& key) {
  const std::lock_guard lock(gate);
  const auto entry = entries.find(key);
  if (entry == entries.end()) return {keyring::Outcome::NotFound, {}, {}};
  return {keyring::Outcome::Done, entry->second, {}};
}

keyring::Answer FakeKeyring::Write(const QString& key, const QString& text) {
  const std::lock_guard lock(gate);
  if (refusesWrites) return {};
  entries[key] = text;
  writes << key + QLatin1Char('=') + text;
  return {keyring::Outcome::Done, {}, {}};
}
