#include "base/thread_registry.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <memory>
#include <string>
#include <vector>

#include "base/framework_thread.h"
#include "base/message_loop_proxy.h"
#include "base/misc_thread.h"
#include "tests/base/loop_test_support.h"

namespace nbase {
namespace {

using testing_support::CallRecord;
using testing_support::RecordingTask;
using testing_support::ScopedTestClock;
using testing_support::WaitReady;
using testing_support::Watchdog;

// Waits until every task posted to `id` before this call has run, and one
// more full loop cycle after that (so due delayed work has been looked at).
bool Flush(ThreadId id) {
  auto done = std::make_shared<std::promise<void>>();
  auto future = done->get_future();
  if (!ThreadRegistry::PostTask(
          id, [id, done] { ThreadRegistry::PostTask(id, [done] { done->set_value(); }); })) {
    return false;
  }
  return WaitReady(future);
}

// Runs `body` on the thread registered under `id` and returns its result.
template <typename T, typename F>
T RunOn(ThreadId id, F body) {
  auto result = std::make_shared<std::promise<T>>();
  auto future = result->get_future();
  EXPECT_TRUE(ThreadRegistry::PostTask(id, [result, body] { result->set_value(body()); }));
  EXPECT_TRUE(WaitReady(future));
  return future.get();
}

TEST(ThreadRegistry, RunsTasksPostedToAWorkerInPostingOrderOnThatThread) {
  Watchdog watchdog;
  MiscThread misc(kThreadMisc, "Global Misc Thread");
  ASSERT_TRUE(misc.Start());
  std::vector<std::string> seen;
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(ThreadRegistry::PostTask(kThreadMisc, [&seen, i] {
      seen.push_back(FrameworkThread::Current()->name() + " " + std::to_string(i));
    }));
  }
  ASSERT_TRUE(Flush(kThreadMisc));
  EXPECT_EQ(seen, (std::vector<std::string>{"Global Misc Thread 0", "Global Misc Thread 1",
                                            "Global Misc Thread 2"}));
  EXPECT_EQ(RunOn<ThreadId>(kThreadMisc, [] { return ThreadRegistry::CurrentThreadId(); }),
            kThreadMisc);
  EXPECT_TRUE(ThreadRegistry::GetLoopProxy(kThreadMisc) != nullptr);
}

TEST(ThreadRegistry, PostingToAnUnregisteredIdentifierDropsTheTaskUncalled) {
  Watchdog watchdog;
  auto record = std::make_shared<CallRecord>();
  EXPECT_FALSE(ThreadRegistry::PostTask(kThreadHttp, RecordingTask(record))) << "never registered";
  {
    MiscThread http(kThreadHttp, "http Thread");
    ASSERT_TRUE(http.Start());
    ASSERT_TRUE(ThreadRegistry::PostTask(kThreadHttp, RecordingTask(record)));
    http.Stop();
    EXPECT_EQ(record->calls.load(), 1);
    EXPECT_FALSE(ThreadRegistry::PostTask(kThreadHttp, RecordingTask(record))) << "stopped";
    EXPECT_FALSE(ThreadRegistry::PostDelayedTask(kThreadHttp, RecordingTask(record), TimeDelta()));
    EXPECT_EQ(ThreadRegistry::GetLoopProxy(kThreadHttp), nullptr);
  }
  EXPECT_EQ(record->calls.load(), 1);
  EXPECT_EQ(record->live_copies.load(), 0);
  EXPECT_FALSE(ThreadRegistry::PostTask(-1, RecordingTask(record)));
  EXPECT_EQ(record->live_copies.load(), 0);
}

TEST(ThreadRegistry, ASecondThreadCannotTakeAnIdentifierThatIsHeld) {
  Watchdog watchdog;
  MiscThread first(kThreadMisc, "first");
  MiscThread second(kThreadMisc, "second");
  ASSERT_TRUE(first.Start());
  ASSERT_TRUE(second.Start());  // its Init's registration fails quietly
  EXPECT_EQ(RunOn<bool>(kThreadMisc, [] { return FrameworkThread::Current()->name() == "first"; }),
            true);
  // Asked directly on the second thread: refused, and the first keeps the id.
  std::promise<bool> refused;
  second.message_loop_proxy()->PostTask([&refused] {
    refused.set_value(!ThreadRegistry::RegisterThread(kThreadMisc) &&
                      ThreadRegistry::CurrentThreadId() == -1);
  });
  auto future = refused.get_future();
  ASSERT_TRUE(WaitReady(future));
  EXPECT_TRUE(future.get());
  EXPECT_EQ(RunOn<std::string>(kThreadMisc, [] { return FrameworkThread::Current()->name(); }),
            "first");
  second.Stop();  // its Cleanup must not remove the first thread's entry
  EXPECT_EQ(RunOn<std::string>(kThreadMisc, [] { return FrameworkThread::Current()->name(); }),
            "first");
}

TEST(ThreadRegistry, RegistrationsAreCountedPerThread) {
  Watchdog watchdog;
  EXPECT_FALSE(ThreadRegistry::RegisterThread(3)) << "not a framework thread";
  EXPECT_FALSE(ThreadRegistry::UnregisterThread());
  MiscThread worker(-1, "unregistered worker");
  ASSERT_TRUE(worker.Start());
  std::promise<std::vector<bool>> steps;
  worker.message_loop_proxy()->PostTask([&steps] {
    std::vector<bool> s;
    s.push_back(!ThreadRegistry::RegisterThread(-5));
    s.push_back(ThreadRegistry::RegisterThread(4));
    s.push_back(ThreadRegistry::RegisterThread(4));           // the same thread again
    s.push_back(ThreadRegistry::UnregisterThread());          // one of two undone
    s.push_back(ThreadRegistry::GetLoopProxy(4) != nullptr);  // still registered
    s.push_back(ThreadRegistry::UnregisterThread());
    s.push_back(ThreadRegistry::GetLoopProxy(4) == nullptr);  // gone
    s.push_back(!ThreadRegistry::UnregisterThread());         // nothing left to undo
    s.push_back(ThreadRegistry::RegisterThread(5));           // left for the thread's end
    steps.set_value(s);
  });
  auto future = steps.get_future();
  ASSERT_TRUE(WaitReady(future));
  for (bool ok : future.get()) EXPECT_TRUE(ok);
  worker.Stop();
  EXPECT_EQ(ThreadRegistry::GetLoopProxy(5), nullptr) << "a thread's end removes its entry";
}

class Owner : public SupportWeakCallback {};

TEST(ThreadRegistry, WeakTaskOfADeadOwnerDoesNothing) {
  Watchdog watchdog;
  MiscThread misc(kThreadMisc, "Global Misc Thread");
  ASSERT_TRUE(misc.Start());
  std::atomic<int> runs{0};
  auto owner = std::make_unique<Owner>();
  StdClosure task = owner->ToWeakCallback([&runs] { ++runs; });
  ASSERT_TRUE(ThreadRegistry::PostTask(kThreadMisc, task));
  ASSERT_TRUE(Flush(kThreadMisc));
  owner.reset();
  ASSERT_TRUE(ThreadRegistry::PostTask(kThreadMisc, task));
  ASSERT_TRUE(Flush(kThreadMisc));
  EXPECT_EQ(runs.load(), 1);
}

TEST(ThreadRegistry, RepeatedTaskRunsTheGivenNumberOfTimes) {
  Watchdog watchdog;
  ScopedTestClock clock;
  MiscThread misc(kThreadMisc, "Global Misc Thread");
  ASSERT_TRUE(misc.Start());
  Owner owner;
  std::atomic<int> runs{0};
  ASSERT_TRUE(ThreadRegistry::PostRepeatedTask(
      kThreadMisc, owner.ToWeakCallback(StdClosure([&runs] { ++runs; })),
      TimeDelta::FromMilliseconds(200), 3));
  ASSERT_TRUE(Flush(kThreadMisc));
  EXPECT_EQ(runs.load(), 0) << "nothing before the first delay";
  clock.Advance(199);
  ASSERT_TRUE(Flush(kThreadMisc));
  EXPECT_EQ(runs.load(), 0);
  for (int expected = 1; expected <= 5; ++expected) {
    clock.Advance(1);
    ASSERT_TRUE(Flush(kThreadMisc));
    EXPECT_EQ(runs.load(), std::min(expected, 3));
    clock.Advance(199);
  }
  EXPECT_FALSE(ThreadRegistry::PostRepeatedTask(
      kThreadMisc, owner.ToWeakCallback(StdClosure([] {})), TimeDelta::FromMilliseconds(1), 0));
}

TEST(ThreadRegistry, EndlessRepeatedTaskEndsWithItsOwner) {
  Watchdog watchdog;
  ScopedTestClock clock;
  MiscThread misc(kThreadMisc, "Global Misc Thread");
  ASSERT_TRUE(misc.Start());
  auto owner = std::make_unique<WeakCallbackFlag>();
  std::atomic<int> runs{0};
  auto token = std::make_shared<int>(0);  // alive while any repetition is queued
  ASSERT_TRUE(ThreadRegistry::PostRepeatedTask(
      kThreadMisc, owner->ToWeakCallback([&runs, token] { ++runs; }),
      TimeDelta::FromMilliseconds(200), -1));
  for (int expected = 1; expected <= 10; ++expected) {
    clock.Advance(200);
    ASSERT_TRUE(Flush(kThreadMisc));
    ASSERT_EQ(runs.load(), expected);
  }
  owner.reset();
  clock.Advance(200);
  ASSERT_TRUE(Flush(kThreadMisc));
  EXPECT_EQ(runs.load(), 10);
  EXPECT_EQ(token.use_count(), 1) << "the repetition was not posted again";
}

TEST(ThreadRegistry, RepeatedTaskStopsWhenTheCallbackIsCancelledInsideARun) {
  Watchdog watchdog;
  ScopedTestClock clock;
  MiscThread misc(kThreadMisc, "Global Misc Thread");
  ASSERT_TRUE(misc.Start());
  WeakCallbackFlag flag;
  std::atomic<int> runs{0};
  auto token = std::make_shared<int>(0);  // alive while any repetition is queued
  ASSERT_TRUE(ThreadRegistry::PostRepeatedTask(kThreadMisc,
                                               flag.ToWeakCallback(StdClosure([&, token] {
                                                 if (++runs == 2) flag.Cancel();
                                               })),
                                               TimeDelta::FromMilliseconds(50), -1));
  std::weak_ptr<int> watch = token;
  token.reset();
  for (int i = 0; i < 2; ++i) {
    clock.Advance(50);
    ASSERT_TRUE(Flush(kThreadMisc));
  }
  EXPECT_EQ(runs.load(), 2);
  // Cancelled inside the second run: no third run was even queued.
  EXPECT_TRUE(watch.expired());
  clock.Advance(50);
  ASSERT_TRUE(Flush(kThreadMisc));
  EXPECT_EQ(runs.load(), 2);
  EXPECT_EQ(runs.load(), 2);
}

}  // namespace
}  // namespace nbase
