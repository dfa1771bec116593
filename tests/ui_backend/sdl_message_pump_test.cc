#include "ui/backend/sdl_message_pump.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <limits>
#include <thread>
#include <vector>

#include "base/message_loop.h"
#include "base/thread_ids.h"
#include "base/thread_registry.h"
#include "tests/support/test_ui_thread.h"
#include "tests/ui_backend/backend_test_support.h"

namespace ui {
namespace {

using Clock = std::chrono::steady_clock;
using testing_support::PushUserEvent;
using testing_support::Watchdog;

int64_t MsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

int PendingWakeUps() {
  const uint32_t type = SdlMessagePump::WakeUpEventType();
  return SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, type, type);
}

class SdlMessagePumpTest : public testing_support::SdlTest {
 protected:
  static uint32_t TestEventType() {
    static const uint32_t type = SDL_RegisterEvents(1);
    return type;
  }
  static SdlMessagePump* PumpOf(nbase::MessageLoop& loop) {
    return static_cast<SdlMessagePump*>(loop.pump());
  }
};

TEST_F(SdlMessagePumpTest, UiLoopsAreMadeWithTheSdlPump) {
  nbase::MessageLoop loop(nbase::MessageLoop::kUI);
  EXPECT_NE(dynamic_cast<SdlMessagePump*>(loop.pump()), nullptr);
  nbase::MessageLoop worker_kind(nbase::MessageLoop::kDefault);
  EXPECT_EQ(dynamic_cast<SdlMessagePump*>(worker_kind.pump()), nullptr);
}

TEST_F(SdlMessagePumpTest, TaskPostedFromAnotherThreadWakesAnIdleLoopPromptly) {
  Watchdog watchdog;
  nbase::MessageLoop loop(nbase::MessageLoop::kUI);
  std::promise<void> idle;
  bool idle_told = false;
  PumpOf(loop)->SetWillWaitHook([&] {
    if (!idle_told) {
      idle_told = true;
      idle.set_value();
    }
  });
  std::shared_ptr<nbase::MessageLoopProxy> proxy = loop.proxy();
  Clock::time_point posted_at;
  int64_t latency_ms = -1;
  std::thread poster([&] {
    idle.get_future().wait();
    posted_at = Clock::now();
    loop.PostTask([&] {
      latency_ms = MsSince(posted_at);
      loop.QuitWhenIdle();
    });
  });
  loop.Run();
  poster.join();
  // The loop slept in SDL's wait with no deadline; only the wake-up ended it.
  ASSERT_GE(latency_ms, 0);
  EXPECT_LT(latency_ms, 250);
}

TEST_F(SdlMessagePumpTest, ManyWakeUpsLeaveOnePendingUntilTaken) {
  Watchdog watchdog;
  nbase::MessageLoop loop(nbase::MessageLoop::kUI);
  SdlMessagePump* pump = PumpOf(loop);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([pump] {
      for (int i = 0; i < 1000; ++i) pump->WakeUp();
    });
  }
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(PendingWakeUps(), 1);
  EXPECT_EQ(pump->wake_ups_pushed(), 1u);

  // Once the loop has taken it, the next post wakes it again.
  loop.PostTask([&] { loop.QuitWhenIdle(); });
  loop.Run();
  EXPECT_EQ(PendingWakeUps(), 0);
  pump->WakeUp();
  EXPECT_EQ(PendingWakeUps(), 1);
  EXPECT_EQ(pump->wake_ups_pushed(), 2u);
}

TEST_F(SdlMessagePumpTest, ManyPostsFromThreadsAllRunWithFewWakeUps) {
  Watchdog watchdog;
  nbase::MessageLoop loop(nbase::MessageLoop::kUI);
  constexpr int kThreads = 4;
  constexpr int kPerThread = 500;
  std::atomic<int> ran{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < kPerThread; ++i) {
        loop.PostTask([&] {
          if (++ran == kThreads * kPerThread) loop.QuitWhenIdle();
        });
      }
    });
  }
  loop.Run();
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(ran.load(), kThreads * kPerThread);
  // Never more than one wake-up waits in SDL's queue.
  EXPECT_LE(PendingWakeUps(), 1);
  EXPECT_LT(PumpOf(loop)->wake_ups_pushed(), static_cast<uint64_t>(kThreads * kPerThread));
}

TEST_F(SdlMessagePumpTest, DelayedTasksRunInDueOrderNotEarlyAndNearlyOnTime) {
  Watchdog watchdog;
  nbase::MessageLoop loop(nbase::MessageLoop::kUI);
  const int delays_ms[] = {120, 40, 80, 80};
  std::vector<std::pair<int, int64_t>> runs;  // (delay, elapsed)
  const Clock::time_point start = Clock::now();
  for (int delay : delays_ms) {
    loop.PostDelayedTask(
        [&, delay] {
          runs.emplace_back(delay, MsSince(start));
          if (runs.size() == 4) loop.QuitWhenIdle();
        },
        nbase::TimeDelta::FromMilliseconds(delay));
  }
  loop.Run();
  ASSERT_EQ(runs.size(), 4u);
  const int expected_order[] = {40, 80, 80, 120};
  for (size_t i = 0; i < runs.size(); ++i) {
    EXPECT_EQ(runs[i].first, expected_order[i]);
    // The loop clock counts whole milliseconds: a due time may lie up to 1 ms
    // before the exact one.
    EXPECT_GE(runs[i].second, runs[i].first - 1) << "ran early";
    EXPECT_LT(runs[i].second, runs[i].first + 100) << "delay " << runs[i].first;
  }
}

TEST(SdlMessagePumpWaitTest, DelayedWaitsShorterThanTenMsAreRaisedToTen) {
  const struct {
    int64_t delay_ms;
    int wait_ms;
  } cases[] = {{1, 10}, {9, 10}, {10, 10}, {11, 11}, {250, 250}};
  for (const auto& c : cases) {
    EXPECT_EQ(SdlMessagePump::DelayedWaitMs(c.delay_ms), c.wait_ms) << c.delay_ms;
  }
  // Far delays wait in steps SDL's int timeout can hold.
  EXPECT_GT(SdlMessagePump::DelayedWaitMs(int64_t{1} << 40), 1000000);
  EXPECT_LT(SdlMessagePump::DelayedWaitMs(int64_t{1} << 40), std::numeric_limits<int>::max());
}

TEST_F(SdlMessagePumpTest, ChainOfOneMsDelaysWaitsTenMsEach) {
  Watchdog watchdog;
  nbase::MessageLoop loop(nbase::MessageLoop::kUI);
  constexpr int kLinks = 5;
  int runs = 0;
  std::function<void()> link;
  link = [&] {
    if (++runs == kLinks) {
      loop.QuitWhenIdle();
      return;
    }
    loop.PostDelayedTask(link, nbase::TimeDelta::FromMilliseconds(1));
  };
  const Clock::time_point start = Clock::now();
  loop.PostDelayedTask(link, nbase::TimeDelta::FromMilliseconds(1));
  loop.Run();
  ASSERT_EQ(runs, kLinks);
  // Each link waited for a raised 10 ms timer, not for 1 ms (which would
  // take about 5 ms in all). SDL's timed wait may end a few milliseconds
  // early on a coarse clock, so only half of each raised wait is counted.
  EXPECT_GE(MsSince(start), int64_t{kLinks} * (SdlMessagePump::kMinDelayedWaitMs / 2));
}

class TickOwner : public nbase::SupportWeakCallback {};

TEST_F(SdlMessagePumpTest, RepeatedTaskEvery200MsKeepsItsRhythm) {
  Watchdog watchdog;
  std::vector<int64_t> ticks;
  Clock::time_point start;
  TickOwner owner;
  varnik_test::TestUiThread ui_thread([&] {
    start = Clock::now();
    nbase::ThreadRegistry::PostRepeatedTask(nbase::kThreadUI,
                                            owner.ToWeakCallback(nbase::StdClosure([&] {
                                              ticks.push_back(MsSince(start));
                                              if (ticks.size() == 3)
                                                nbase::MessageLoop::current()->QuitWhenIdle();
                                            })),
                                            nbase::TimeDelta::FromMilliseconds(200), 3);
  });
  ui_thread.RunOnCurrentThread(nbase::MessageLoop::kUI);
  ASSERT_EQ(ticks.size(), 3u);
  for (size_t i = 0; i < ticks.size(); ++i) {
    const int64_t due = 200 * static_cast<int64_t>(i + 1);
    EXPECT_GE(ticks[i], due - 1);
    EXPECT_LT(ticks[i], due + 100 * static_cast<int64_t>(i + 1)) << "tick " << i;
  }
}

TEST_F(SdlMessagePumpTest, NestedRunFromAnEventHandlerStillRunsPostedTasks) {
  Watchdog watchdog;
  nbase::MessageLoop loop(nbase::MessageLoop::kUI);
  bool ran_inside_nested = false;
  bool nested_returned = false;
  SdlBackend::SetApplicationEventHandler([&](const SDL_Event& event) {
    if (event.type != TestEventType()) return;
    // What a modal dialog opened from a click does.
    std::thread([&] {
      loop.PostTask([&] {
        ran_inside_nested = loop.run_depth() == 2;
        loop.QuitWhenIdle();
      });
    }).join();
    loop.Run();
    nested_returned = true;
    loop.QuitWhenIdle();
  });
  PushUserEvent(TestEventType(), 1);
  loop.Run();
  EXPECT_TRUE(nested_returned);
  EXPECT_TRUE(ran_inside_nested);
}

TEST_F(SdlMessagePumpTest, NestedRunInsideATaskRunsNoTasksUntilTheTaskReturns) {
  Watchdog watchdog;
  nbase::MessageLoop loop(nbase::MessageLoop::kUI);
  std::vector<std::string> order;
  SdlBackend::SetApplicationEventHandler([&](const SDL_Event& event) {
    if (event.type != TestEventType()) return;
    // The dialog's own input still arrives; it closes the dialog.
    order.push_back("dialog closed");
    loop.QuitWhenIdle();
  });
  loop.PostTask([&] {
    std::thread([&] { loop.PostTask([&] { order.push_back("posted task"); }); }).join();
    PushUserEvent(TestEventType(), 2);
    loop.Run();  // a modal dialog inside a task
    order.push_back("outer task done");
  });
  loop.PostTask([&] { loop.QuitWhenIdle(); });
  loop.Run();
  const std::vector<std::string> expected = {"dialog closed", "outer task done", "posted task"};
  EXPECT_EQ(order, expected);
}

TEST_F(SdlMessagePumpTest, StreamOfTasksDoesNotStarveInput) {
  Watchdog watchdog;
  nbase::MessageLoop loop(nbase::MessageLoop::kUI);
  int tasks_run = 0;
  bool input_seen = false;
  std::function<void()> again;
  again = [&] {
    ++tasks_run;
    if (input_seen) {
      loop.QuitWhenIdle();
      return;
    }
    // Each task posts the next from another thread, like a busy worker.
    std::thread([&] { loop.PostTask(again); }).join();
    if (tasks_run == 5) PushUserEvent(TestEventType(), 3);
  };
  SdlBackend::SetApplicationEventHandler([&](const SDL_Event& event) {
    if (event.type == TestEventType()) input_seen = true;
  });
  loop.PostTask(again);
  loop.Run();
  EXPECT_TRUE(input_seen);
  EXPECT_LT(tasks_run, 50);
}

TEST_F(SdlMessagePumpTest, StaleWakeUpOfAGonePumpIsDropped) {
  Watchdog watchdog;
  {
    nbase::MessageLoop old_loop(nbase::MessageLoop::kUI);
    old_loop.pump()->WakeUp();
  }
  ASSERT_EQ(PendingWakeUps(), 1);
  nbase::MessageLoop loop(nbase::MessageLoop::kUI);
  int events_seen = 0;
  SdlBackend::SetApplicationEventHandler([&](const SDL_Event&) { ++events_seen; });
  loop.PostTask([&] { loop.QuitWhenIdle(); });
  loop.Run();
  EXPECT_EQ(events_seen, 0);
  EXPECT_EQ(PendingWakeUps(), 0);
}

}  // namespace
}  // namespace ui
