#include "platform/keyring.h"

#include <atomic>

#include "platform/desktop_keyring.h"

namespace keyring {
namespace {

std::atomic<Backend*>& Replacement() {
  static std::atomic<Backend*> backend = nullptr;
  return backend;
}

Backend& Current() {
  if (Backend* backend = Replacement().load()) return *backend;
  static DesktopKeyring desktop{QString::fromLatin1(kService)};
  return desktop;
}

}  // namespace

Answer Read(const QString& key) {
  return Current().Read(key);
}

Answer Write(const QString& key, const QString& text) {
  return Current().Write(key, text);
}

void SetBackend(Backend* backend) {
  Replacement() = backend;
}

}  // namespace keyring
