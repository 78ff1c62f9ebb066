#pragma once

// The desktop's keyring for tests, installed while it lives: entries in memory, the writes in
// order, writes refused, or held while a test holds the gate. Tests start with no keyring.

#include <QStringList>
#include <atomic>
#include <map>
#include <mutex>

#include "platform/desktop/keyring.h"

class FakeKeyring : public keyring::Backend {
 public:
  FakeKeyring() { keyring::SetBackend(this); }
  ~FakeKeyring() override { InstallNone(); }
  static void InstallNone();

  keyring::Answer Read(const QString& key) override;
  keyring::Answer Write(const QString& key, const QString& text) override;

  std::mutex gate;
  std::atomic<bool> refusesWrites = false;
  std::map<QString, QString> entries;
  QStringList writes;  // "Password=abc"
};
