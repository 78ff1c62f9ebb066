#pragma once

// The desktop's keyring for tests, installed while it lives: entries in memory, a log of the
// writes, writes refused or held until released. Every test starts with no keyring at all.

#include <QStringList>
#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>

#include "platform/keyring.h"

class FakeKeyring : public keyring::Backend {
 public:
  FakeKeyring();
  ~FakeKeyring() override;
  // No keyring answers: what every test starts with.
  static void InstallNone();

  keyring::Answer Read(const QString& key) override;
  keyring::Answer Write(const QString& key, const QString& text) override;

  std::map<QString, QString> Entries() const;
  QStringList Writes() const;  // "Password=abc", in order
  void HoldWrites();
  void ReleaseWrites();
  std::atomic<bool> refusesWrites = false;

 private:
  mutable std::mutex mutex_;
  std::condition_variable released_;
  bool held_ = false;
  std::map<QString, QString> entries_;
  QStringList writes_;
};
