#include "support/hooked_connection.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

class Hooked : public adodb::Connection {
 public:
  Hooked(std::unique_ptr<adodb::Connection> real, StatementHook hook)
      : real_(std::move(real)), hook_(std::move(hook)) {}

  void SetMode(int mode) override { real_->SetMode(mode); }
  void SetCommandTimeout(int seconds) override { real_->SetCommandTimeout(seconds); }
  void SetConnectionTimeout(int seconds) override { real_->SetConnectionTimeout(seconds); }
  void SetCursorLocation(int location) override { real_->SetCursorLocation(location); }
  void Open(const QString& connectionString) override { real_->Open(connectionString); }
  std::unique_ptr<adodb::Recordset> Execute(const QString& statement) override {
    return Watched(statement, [&] { return real_->Execute(statement); });
  }
  qint64 ExecuteNoRecords(const QString& statement) override {
    return Watched(statement, [&] { return real_->ExecuteNoRecords(statement); });
  }
  std::unique_ptr<adodb::Recordset> Describe(const QString& statement) override {
    return real_->Describe(statement);
  }
  void Cancel() override { real_->Cancel(); }
  QString DefaultDatabase() override { return real_->DefaultDatabase(); }
  std::unique_ptr<adodb::Recordset> OpenSchema(int schema) override {
    return real_->OpenSchema(schema);
  }
  std::unique_ptr<adodb::Recordset> OpenRecordset(const QString& source, int cursorType,
                                                  int lockType) override {
    return real_->OpenRecordset(source, cursorType, lockType);
  }
  void BeginTrans() override { real_->BeginTrans(); }
  void CommitTrans() override { real_->CommitTrans(); }
  void RollbackTrans() override { real_->RollbackTrans(); }

 private:
  template <class Send>
  auto Watched(const QString& statement, Send&& send) -> decltype(send()) {
    if (!statement.contains(hook_.containing)) return send();
    if (hook_.before) hook_.before(*real_);
    if (!hook_.during) return send();
    // Paced as a user's repeated clicks would be: a driver may not take a storm of calls from
    // another thread while it ends a statement.
    std::mutex mutex;
    std::condition_variable changed;
    bool returned = false;
    std::thread watcher([&] {
      std::unique_lock lock(mutex);
      while (!returned) {
        lock.unlock();
        hook_.during();
        lock.lock();
        changed.wait_for(lock, std::chrono::milliseconds(20), [&] { return returned; });
      }
    });
    struct Join {
      std::mutex& mutex;
      std::condition_variable& changed;
      bool& returned;
      std::thread& watcher;
      ~Join() {
        {
          const std::lock_guard lock(mutex);
          returned = true;
        }
        changed.notify_all();
        watcher.join();
      }
    } join{mutex, changed, returned, watcher};
    return send();
  }

  std::unique_ptr<adodb::Connection> real_;
  StatementHook hook_;
};

}  // namespace

std::unique_ptr<adodb::Connection> HookedConnection(std::unique_ptr<adodb::Connection> real,
                                                    StatementHook hook) {
  return std::make_unique<Hooked>(std::move(real), std::move(hook));
}
