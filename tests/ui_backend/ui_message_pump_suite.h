// The loop rules every UI pump keeps, written once and run against each
// backend's pump. A backend's test file instantiates the suite with a
// harness that knows its window system:
//
//   struct Harness {
//     using Pump = ...;                       // the backend's pump class
//     static void SetUp();                    // before each test: empty queue
//     static void TearDown();
//     static int PendingWakeUps(Pump* pump);  // the pump's wake-ups in the queue
//     // Input of the window system: PushInput(code) queues an event that
//     // reaches the handler (through the pump's dispatch) with `code`.
//     static void SetInputHandler(std::function<void(int code)> handler);
//     static void PushInput(int code);
//   };
//
//   INSTANTIATE_TYPED_TEST_SUITE_P(Sdl, UiMessagePumpTest, Harness);
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "base/message_loop.h"
#include "base/thread_ids.h"
#include "base/thread_registry.h"
#include "tests/base/loop_test_support.h"
#include "tests/support/test_ui_thread.h"

namespace ui {
namespace testing_support {

using PumpClock = std::chrono::steady_clock;

inline int64_t MsSince(PumpClock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(PumpClock::now() - start).count();
}

template <typename Harness>
class UiMessagePumpTest : public ::testing::Test {
 protected:
  using Pump = typename Harness::Pump;
  void SetUp() override { Harness::SetUp(); }
  void TearDown() override {
    Harness::SetInputHandler(nullptr);
    Harness::TearDown();
  }
  static Pump* PumpOf(nbase::MessageLoop& loop) { return static_cast<Pump*>(loop.pump()); }
};

TYPED_TEST_SUITE_P(UiMessagePumpTest);

TYPED_TEST_P(UiMessagePumpTest, UiLoopsAreMadeWithTheBackendsPump) {
  using Pump = typename TypeParam::Pump;
  nbase::MessageLoop loop(nbase::MessageLoop::kUI);
  EXPECT_NE(dynamic_cast<Pump*>(loop.pump()), nullptr);
  nbase::MessageLoop worker_kind(nbase::MessageLoop::kDefault);
  EXPECT_EQ(dynamic_cast<Pump*>(worker_kind.pump()), nullptr);
}

TYPED_TEST_P(UiMessagePumpTest, TaskPostedFromAnotherThreadWakesAnIdleLoopPromptly) {
  nbase::testing_support::Watchdog watchdog;
  nbase::MessageLoop loop(nbase::MessageLoop::kUI);
  std::promise<void> idle;
  bool idle_told = false;
  this->PumpOf(loop)->SetWillWaitHook([&] {
    if (!idle_told) {
      idle_told = true;
      idle.set_value();
    }
  });
  PumpClock::time_point posted_at;
  int64_t latency_ms = -1;
  std::thread poster([&] {
    idle.get_future().wait();
    posted_at = PumpClock::now();
    loop.PostTask([&] {
      latency_ms = MsSince(posted_at);
      loop.QuitWhenIdle();
    });
  });
  loop.Run();
  poster.join();
  // The loop slept in the window system's wait with no deadline; only the
  // wake-up ended it.
  ASSERT_GE(latency_ms, 0);
  EXPECT_LT(latency_ms, 250);
}

TYPED_TEST_P(UiMessagePumpTest, ManyWakeUpsLeaveOnePendingUntilTaken) {
  nbase::testing_support::Watchdog watchdog;
  nbase::MessageLoop loop(nbase::MessageLoop::kUI);
  auto* pump = this->PumpOf(loop);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([pump] {
      for (int i = 0; i < 1000; ++i) pump->WakeUp();
    });
  }
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(TypeParam::PendingWakeUps(pump), 1);
  EXPECT_EQ(pump->wake_ups_pushed(), 1u);

  // Once the loop has taken it, the next post wakes it again.
  loop.PostTask([&] { loop.QuitWhenIdle(); });
  loop.Run();
  EXPECT_EQ(TypeParam::PendingWakeUps(pump), 0);
  pump->WakeUp();
  EXPECT_EQ(TypeParam::PendingWakeUps(pump), 1);
  EXPECT_EQ(pump->wake_ups_pushed(), 2u);
}

TYPED_TEST_P(UiMessagePumpTest, ManyPostsFromThreadsAllRunWithFewWakeUps) {
  nbase::testing_support::Watchdog watchdog;
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
  // Never more than one wake-up waits in the queue.
  EXPECT_LE(TypeParam::PendingWakeUps(this->PumpOf(loop)), 1);
  EXPECT_LT(this->PumpOf(loop)->wake_ups_pushed(), static_cast<uint64_t>(kThreads * kPerThread));
}

TYPED_TEST_P(UiMessagePumpTest, DelayedTasksRunInDueOrderNotEarlyAndNearlyOnTime) {
  nbase::testing_support::Watchdog watchdog;
  nbase::MessageLoop loop(nbase::MessageLoop::kUI);
  const int delays_ms[] = {120, 40, 80, 80};
  std::vector<std::pair<int, int64_t>> runs;  // (delay, elapsed)
  const PumpClock::time_point start = PumpClock::now();
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

TYPED_TEST_P(UiMessagePumpTest, ChainOfOneMsDelaysWaitsTenMsEach) {
  using Pump = typename TypeParam::Pump;
  nbase::testing_support::Watchdog watchdog;
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
  const PumpClock::time_point start = PumpClock::now();
  loop.PostDelayedTask(link, nbase::TimeDelta::FromMilliseconds(1));
  loop.Run();
  ASSERT_EQ(runs, kLinks);
  // Each link waited for a raised 10 ms timer, not for 1 ms (which would
  // take about 5 ms in all). A timed wait may end a few milliseconds early
  // on a coarse clock, and a message-driven pump is woken by whatever else
  // reaches the thread (under Wine on a busy machine, every few waits), after
  // which a due task runs at once as it would after any message. So only a
  // quarter of each raised wait is counted: still over twice the unraised
  // chain.
  EXPECT_GE(MsSince(start), int64_t{kLinks} * Pump::kMinDelayedWaitMs / 4);
}

class TickOwner : public nbase::SupportWeakCallback {};

TYPED_TEST_P(UiMessagePumpTest, RepeatedTaskEvery200MsKeepsItsRhythm) {
  nbase::testing_support::Watchdog watchdog;
  std::vector<int64_t> ticks;
  PumpClock::time_point start;
  TickOwner owner;
  varnik_test::TestUiThread ui_thread([&] {
    start = PumpClock::now();
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

TYPED_TEST_P(UiMessagePumpTest, NestedRunFromAnEventHandlerStillRunsPostedTasks) {
  nbase::testing_support::Watchdog watchdog;
  nbase::MessageLoop loop(nbase::MessageLoop::kUI);
  bool ran_inside_nested = false;
  bool nested_returned = false;
  TypeParam::SetInputHandler([&](int code) {
    if (code != 1) return;
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
  TypeParam::PushInput(1);
  loop.Run();
  EXPECT_TRUE(nested_returned);
  EXPECT_TRUE(ran_inside_nested);
}

TYPED_TEST_P(UiMessagePumpTest, NestedRunInsideATaskRunsNoTasksUntilTheTaskReturns) {
  nbase::testing_support::Watchdog watchdog;
  nbase::MessageLoop loop(nbase::MessageLoop::kUI);
  std::vector<std::string> order;
  TypeParam::SetInputHandler([&](int code) {
    if (code != 2) return;
    // The dialog's own input still arrives; it closes the dialog.
    order.push_back("dialog closed");
    loop.QuitWhenIdle();
  });
  loop.PostTask([&] {
    std::thread([&] { loop.PostTask([&] { order.push_back("posted task"); }); }).join();
    TypeParam::PushInput(2);
    loop.Run();  // a modal dialog inside a task
    order.push_back("outer task done");
  });
  loop.PostTask([&] { loop.QuitWhenIdle(); });
  loop.Run();
  const std::vector<std::string> expected = {"dialog closed", "outer task done", "posted task"};
  EXPECT_EQ(order, expected);
}

TYPED_TEST_P(UiMessagePumpTest, StreamOfTasksDoesNotStarveInput) {
  nbase::testing_support::Watchdog watchdog;
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
    if (tasks_run == 5) TypeParam::PushInput(3);
  };
  TypeParam::SetInputHandler([&](int code) {
    if (code == 3) input_seen = true;
  });
  loop.PostTask(again);
  loop.Run();
  EXPECT_TRUE(input_seen);
  EXPECT_LT(tasks_run, 50);
}

REGISTER_TYPED_TEST_SUITE_P(UiMessagePumpTest, UiLoopsAreMadeWithTheBackendsPump,
                            TaskPostedFromAnotherThreadWakesAnIdleLoopPromptly,
                            ManyWakeUpsLeaveOnePendingUntilTaken,
                            ManyPostsFromThreadsAllRunWithFewWakeUps,
                            DelayedTasksRunInDueOrderNotEarlyAndNearlyOnTime,
                            ChainOfOneMsDelaysWaitsTenMsEach, RepeatedTaskEvery200MsKeepsItsRhythm,
                            NestedRunFromAnEventHandlerStillRunsPostedTasks,
                            NestedRunInsideATaskRunsNoTasksUntilTheTaskReturns,
                            StreamOfTasksDoesNotStarveInput);

}  // namespace testing_support
}  // namespace ui
