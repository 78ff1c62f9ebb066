#include "platform/desktop/desktop_keyring.h"

#include <qt6keychain/keychain.h>

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QThread>
#include <functional>
#include <future>
#include <memory>
#include <mutex>

namespace keyring {
namespace {

QObject* jobContext = nullptr;

void StopJobThread() {
  jobContext->thread()->quit();
  jobContext->thread()->wait();
}

// Lives from the first call until the application object goes.
QObject& JobThread() {
  static std::once_flag once;
  std::call_once(once, [] {
    auto* thread = new QThread;
    thread->setObjectName(QStringLiteral("keyring"));
    thread->start();
    jobContext = new QObject;
    jobContext->moveToThread(thread);
    qAddPostRoutine(StopJobThread);
  });
  return *jobContext;
}

// The Secret Service library answers through GLib's loop; a thread whose loop is not GLib's
// (QT_NO_GLIB chosen from outside) would wait for ever.
bool LoopServesTheKeyring() {
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
  return QAbstractEventDispatcher::instance()->inherits("QEventDispatcherGlib");
#else
  return true;
#endif
}

Answer AnswerOf(const QKeychain::Job& job) {
  switch (job.error()) {
    case QKeychain::NoError: {
      const auto* read = qobject_cast<const QKeychain::ReadPasswordJob*>(&job);
      return {Outcome::Done, read ? read->textData() : QString(), {}};
    }
    case QKeychain::EntryNotFound:
      return {Outcome::NotFound, {}, job.errorString()};
    default:
      return {Outcome::NoAnswer, {}, job.errorString()};
  }
}

Answer Run(std::function<QKeychain::Job*()> makeJob) {
  auto answer = std::make_shared<std::promise<Answer>>();
  std::future<Answer> answered = answer->get_future();
  QMetaObject::invokeMethod(
      &JobThread(),
      [answer, makeJob] {
        if (!LoopServesTheKeyring()) {
          answer->set_value({Outcome::NoAnswer, {}, QStringLiteral("Qt runs without GLib")});
          return;
        }
        QKeychain::Job* job = makeJob();
        QObject::connect(job, &QKeychain::Job::finished,
                         [answer](QKeychain::Job* done) { answer->set_value(AnswerOf(*done)); });
        job->start();
      },
      Qt::QueuedConnection);
  return answered.get();
}

}  // namespace

Answer DesktopKeyring::Read(const QString& key) {
  return Run([service = service_, key] {
    auto* job = new QKeychain::ReadPasswordJob(service);
    job->setKey(key);
    return job;
  });
}

Answer DesktopKeyring::Write(const QString& key, const QString& text) {
  return Run([service = service_, key, text] {
    auto* job = new QKeychain::WritePasswordJob(service);
    job->setKey(key);
    job->setTextData(text);
    return job;
  });
}

}  // namespace keyring
