#include "platform/desktop/keyring.h"

#include <atomic>
#include <future>
#include <memory>
#include <thread>

#include "platform/desktop/desktop_keyring.h"

namespace keyring {
namespace {

std::atomic<Backend*>& Replacement() {
  static std::atomic<Backend*> backend = nullptr;
  return backend;
}

// Set when a read gave up waiting; the keyring still busy with it is not asked again.
std::atomic<bool>& Silent() {
  static std::atomic<bool> silent = false;
  return silent;
}

QString SilentReason(std::chrono::seconds limit) {
  return QStringLiteral("it did not answer within %1 second%2")
      .arg(limit.count())
      .arg(limit.count() == 1 ? QString() : QStringLiteral("s"));
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

// The read runs on a thread of its own, which is left to the keyring when the wait ends first.
Answer ReadWithin(const QString& key, std::chrono::seconds limit) {
  if (Silent()) return {Outcome::NoAnswer, {}, SilentReason(limit)};
  auto answer = std::make_shared<std::promise<Answer>>();
  std::future<Answer> answered = answer->get_future();
  std::thread([answer, key] {
    try {
      answer->set_value(Read(key));
    } catch (...) {
      answer->set_exception(std::current_exception());
    }
  }).detach();
  if (answered.wait_for(limit) == std::future_status::ready) return answered.get();
  Silent() = true;
  return {Outcome::NoAnswer, {}, SilentReason(limit), true};
}

void SetBackend(Backend* backend) {
  Replacement() = backend;
  Silent() = false;
}

}  // namespace keyring
