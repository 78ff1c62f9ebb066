#include "jobs/worker.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFutureWatcher>
#include <QPointer>
#include <QThread>
#include <QThreadPool>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>
#include <exception>
#include <vector>

namespace jobs {
namespace {

bool OnApplicationThread() {
  const QCoreApplication* application = QCoreApplication::instance();
  return application && QThread::currentThread() == application->thread();
}

// The workers: a pool of the application's own, large enough that a wait begun while another
// waits (from a nested event loop) never queues behind it, whatever the number of processors.
QThreadPool& Workers() {
  static QPointer<QThreadPool> workers;
  if (!workers) {
    workers = new QThreadPool(QCoreApplication::instance());
    workers->setMaxThreadCount(16);
  }
  return *workers;
}

// The ticks of the waits in progress on the application's thread, the innermost last.
std::vector<const std::function<void()>*>& Ticks() {
  static std::vector<const std::function<void()>*> ticks;
  return ticks;
}

void RunInnermostTick() {
  if (!Ticks().empty() && *Ticks().back()) (*Ticks().back())();
}

// Runs the work on a worker while a local event loop turns; the loop ends when the work is done.
void WaitTurningEvents(const std::function<void()>& work, const std::function<void()>& tick) {
  std::exception_ptr failure;
  QEventLoop loop;
  QFutureWatcher<void> watcher;
  QObject::connect(&watcher, &QFutureWatcher<void>::finished, &loop, &QEventLoop::quit);
  QTimer ticker;
  if (tick) {
    QObject::connect(&ticker, &QTimer::timeout, &loop, [&tick] { tick(); });
    ticker.start(kTickMilliseconds);
  }
  Ticks().push_back(&tick);
  watcher.setFuture(QtConcurrent::run(&Workers(), [&] {
    try {
      work();
    } catch (...) {
      failure = std::current_exception();
    }
  }));
  loop.exec();
  Ticks().pop_back();
  if (failure) std::rethrow_exception(failure);
}

}  // namespace

void Wait(const std::function<void()>& work, const std::function<void()>& tick) {
  if (!OnApplicationThread()) {
    work();
    return;
  }
  WaitTurningEvents(work, tick);
}

void OnWindowThread(const std::function<void()>& call) {
  const QCoreApplication* application = QCoreApplication::instance();
  if (!application || OnApplicationThread()) {
    call();
    return;
  }
  std::exception_ptr failure;
  QMetaObject::invokeMethod(
      QCoreApplication::instance(),
      [&] {
        RunInnermostTick();
        try {
          call();
        } catch (...) {
          failure = std::current_exception();
        }
        QCoreApplication::processEvents();
      },
      Qt::BlockingQueuedConnection);
  if (failure) std::rethrow_exception(failure);
}

}  // namespace jobs
