#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QThread>
#include <QTimer>
#include <chrono>
#include <future>
#include <stdexcept>

#include "jobs/worker.h"

namespace {

// Long enough for any machine; a wait that runs out fails the test instead of hanging it.
constexpr auto kPatience = std::chrono::seconds(30);

}  // namespace

TEST(Worker, TheWorkRunsOffTheWindowThreadAndItsResultOrFailureComesBack) {
  QThread* worker = nullptr;
  EXPECT_EQ(jobs::Wait([&] {
              worker = QThread::currentThread();
              return 42;
            }),
            42);
  EXPECT_NE(worker, nullptr);
  EXPECT_NE(worker, qApp->thread());
  EXPECT_THROW(jobs::Wait([] { throw std::runtime_error("refused"); }), std::runtime_error);
}

TEST(Worker, TheWindowsEventLoopTurnsWhileTheWorkWaits) {
  std::promise<void> timerFired;
  QTimer::singleShot(0, [&] { timerFired.set_value(); });
  bool fired = false;
  jobs::Wait([&] {
    // The timer can only fire while the window's thread keeps turning its events.
    fired = timerFired.get_future().wait_for(kPatience) == std::future_status::ready;
  });
  EXPECT_TRUE(fired);
}

TEST(Worker, ACallFromTheWorkerRunsOnTheWindowThreadAfterTheTickAndItsFailureComesBack) {
  QStringList order;
  QThread* callThread = nullptr;
  bool refused = false;
  jobs::Wait(
      [&] {
        jobs::OnWindowThread([&] {
          callThread = QThread::currentThread();
          order << "call";
        });
        try {
          jobs::OnWindowThread([] { throw std::runtime_error("refused"); });
        } catch (const std::runtime_error&) {
          refused = true;
        }
      },
      [&] { order << "tick"; });
  EXPECT_EQ(callThread, qApp->thread());
  ASSERT_GE(order.size(), 2);
  EXPECT_EQ(order.mid(0, 2), QStringList({"tick", "call"}));
  EXPECT_TRUE(refused);
}

TEST(Worker, WorkHandedOverFromAWorkerRunsThereDirectly) {
  QThread* outer = nullptr;
  QThread* inner = nullptr;
  jobs::Wait([&] {
    outer = QThread::currentThread();
    jobs::Wait([&] { inner = QThread::currentThread(); });
  });
  EXPECT_EQ(inner, outer);
}

TEST(Worker, AWaitBegunWhileAnotherWaitsRunsBesideIt) {
  std::promise<void> innerDone;
  QTimer::singleShot(0, [&] { jobs::Wait([&] { innerDone.set_value(); }); });
  bool outerSawInner = false;
  jobs::Wait([&] {
    outerSawInner = innerDone.get_future().wait_for(kPatience) == std::future_status::ready;
  });
  EXPECT_TRUE(outerSawInner);
}
