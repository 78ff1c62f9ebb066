#pragma once

// The desktop's keyring through QtKeychain. Its jobs run on a thread of their own, whose event
// loop also turns GLib's (the Secret Service library answers there); a call waits for its job.

#include "platform/desktop/keyring.h"

namespace keyring {

class DesktopKeyring : public Backend {
 public:
  explicit DesktopKeyring(QString service) : service_(std::move(service)) {}
  Answer Read(const QString& key) override;
  Answer Write(const QString& key, const QString& text) override;

 private:
  QString service_;
};

}  // namespace keyring
