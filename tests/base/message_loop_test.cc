#include "base/message_loop.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/default_message_pump.h"
#include "base/message_loop_proxy.h"
#include "tests/base/loop_test_support.h"

namespace nbase {
namespace {

using testing_support::CallRecord;
using testing_support::RecordingTask;
using testing_support::ScopedTestClock;
using testing_support::Watchdog;

// A default pump that counts its wake-ups.
class CountingPump : public DefaultMessagePump {
 public:
  void WakeUp() override {
    ++wake_ups;
    DefaultMessagePump::WakeUp();
  }
  std::atomic<int> wake_ups{0};
};

// Quits the loop once every task posted before this call has run (the quit
// takes effect when the loop is idle).
void QuitWhenDone(MessageLoop& loop) {
  loop.PostTask([&loop] { loop.QuitWhenIdle(); });
}

TEST(MessageLoop, RunsImmediateTasksInPostingOrderOnItsThread) {
  Watchdog watchdog;
  MessageLoop loop;
  EXPECT_EQ(MessageLoop::current(), &loop);
  std::vector<int> order;
  for (int i = 0; i < 5; ++i) loop.PostTask([&order, i] { order.push_back(i); });
  QuitWhenDone(loop);
  loop.Run();
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
  EXPECT_FALSE(loop.is_running());
}

TEST(MessageLoop, WakesThePumpOnlyWhenTheIncomingQueueTurnsNonEmpty) {
  Watchdog watchdog;
  auto pump = std::make_shared<CountingPump>();
  MessageLoop loop(MessageLoop::kDefault, pump);
  for (int i = 0; i < 3; ++i) loop.PostTask([] {});
  EXPECT_EQ(pump->wake_ups.load(), 1);
  QuitWhenDone(loop);  // the queue is still non-empty: no new wake-up
  EXPECT_EQ(pump->wake_ups.load(), 1);
  loop.Run();
  loop.PostTask([] {});
  EXPECT_EQ(pump->wake_ups.load(), 2);
}

TEST(MessageLoop, KeepsEachProducersOrderAcrossThreads) {
  Watchdog watchdog;
  MessageLoop loop;
  constexpr int kProducers = 4;
  constexpr int kTasksEach = 2000;
  std::vector<std::vector<int>> seen(kProducers);
  std::atomic<int> done_producers{0};
  std::shared_ptr<MessageLoopProxy> proxy = loop.proxy();
  std::vector<std::thread> producers;
  for (int p = 0; p < kProducers; ++p) {
    producers.emplace_back([&, p] {
      for (int i = 0; i < kTasksEach; ++i) {
        ASSERT_TRUE(proxy->PostTask([&seen, p, i] { seen[p].push_back(i); }));
      }
      if (++done_producers == kProducers) proxy->PostTask([&loop] { loop.QuitWhenIdle(); });
    });
  }
  loop.Run();
  for (auto& t : producers) t.join();
  for (int p = 0; p < kProducers; ++p) {
    ASSERT_EQ(seen[p].size(), static_cast<size_t>(kTasksEach)) << "producer " << p;
    for (int i = 0; i < kTasksEach; ++i) ASSERT_EQ(seen[p][i], i) << "producer " << p;
  }
}

TEST(MessageLoop, RunsDelayedTasksByDueTimeAndEqualDueTimesInPostingOrder) {
  Watchdog watchdog;
  ScopedTestClock clock;
  MessageLoop loop;
  std::vector<std::string> order;
  auto record = [&order](const char* name) { return [&order, name] { order.push_back(name); }; };
  loop.PostDelayedTask(record("30ms"), TimeDelta::FromMilliseconds(30));
  loop.PostDelayedTask(record("10ms-a"), TimeDelta::FromMilliseconds(10));
  loop.PostDelayedTask(record("20ms"), TimeDelta::FromMilliseconds(20));
  loop.PostDelayedTask(record("10ms-b"), TimeDelta::FromMilliseconds(10));
  loop.PostDelayedTask(record("10ms-c"), TimeDelta::FromMilliseconds(10));
  loop.PostTask(record("now"));
  // Nothing delayed is due until the clock moves: the loop only sees the
  // immediate task, then the clock jumps past every due time.
  loop.PostTask([&clock] { clock.Advance(100); });
  loop.PostDelayedTask([&loop] { loop.QuitWhenIdle(); }, TimeDelta::FromMilliseconds(50));
  loop.Run();
  EXPECT_EQ(order, (std::vector<std::string>{"now", "10ms-a", "10ms-b", "10ms-c", "20ms", "30ms"}));
}

TEST(MessageLoop, DoesNotRunADelayedTaskBeforeItIsDue) {
  Watchdog watchdog;
  ScopedTestClock clock;
  MessageLoop loop;
  bool delayed_ran = false;
  bool ran_early = true;
  loop.PostDelayedTask([&] { delayed_ran = true; }, TimeDelta::FromMilliseconds(100));
  loop.PostTask([&] {
    clock.Advance(99);
    // One full cycle later the loop has looked at the delayed queue again.
    loop.PostTask([&] {
      loop.PostTask([&] {
        ran_early = delayed_ran;
        clock.Advance(1);
        loop.PostDelayedTask([&loop] { loop.QuitWhenIdle(); }, TimeDelta::FromMilliseconds(1));
        clock.Advance(1);
      });
    });
  });
  loop.Run();
  EXPECT_FALSE(ran_early);
  EXPECT_TRUE(delayed_ran);
}

TEST(MessageLoop, ProxyTreatsDelayZeroAsImmediate) {
  Watchdog watchdog;
  ScopedTestClock clock;  // frozen: a task with any real delay never comes due
  MessageLoop loop;
  std::vector<std::string> order;
  loop.proxy()->PostDelayedTask([&] { order.push_back("delay 0"); }, TimeDelta());
  loop.PostTask([&] { order.push_back("immediate"); });
  loop.proxy()->PostDelayedTask([&] { order.push_back("delay 1"); },
                                TimeDelta::FromMilliseconds(1));
  QuitWhenDone(loop);
  loop.Run();
  EXPECT_EQ(order, (std::vector<std::string>{"delay 0", "immediate"}));
}

TEST(MessageLoop, AlternatesOneImmediateAndOneDelayedTaskPerCycle) {
  Watchdog watchdog;
  ScopedTestClock clock;
  MessageLoop loop;
  std::vector<std::string> order;
  loop.PostDelayedTask([&] { order.push_back("d1"); }, TimeDelta::FromMilliseconds(5));
  loop.PostDelayedTask([&] { order.push_back("d2"); }, TimeDelta::FromMilliseconds(5));
  loop.PostTask([&] {
    clock.Advance(10);
    order.push_back("i1");
  });
  loop.PostTask([&] { order.push_back("i2"); });
  loop.PostTask([&] { order.push_back("i3"); });
  QuitWhenDone(loop);
  loop.Run();
  EXPECT_EQ(order, (std::vector<std::string>{"i1", "d1", "i2", "d2", "i3"}));
}

TEST(MessageLoop, DefersNonNestableTasksUntilTheOuterRunIsIdle) {
  Watchdog watchdog;
  MessageLoop loop;
  std::vector<std::string> order;
  auto log = [&](const char* what) {
    order.push_back(std::string(what) + "@" + std::to_string(loop.run_depth()));
  };
  loop.PostTask([&] {
    loop.PostNonNestableTask([&] { log("non-nestable"); });
    loop.PostTask([&] {
      log("nestable");
      loop.QuitWhenIdle();  // ends the nested run only
    });
    loop.SetNestableTasksAllowed(true);
    loop.Run();
    log("outer task ends");
    QuitWhenDone(loop);
  });
  loop.PostTask([&] { log("queued before"); });
  loop.Run();
  EXPECT_EQ(order, (std::vector<std::string>{"queued before@2", "nestable@2", "outer task ends@1",
                                             "non-nestable@1"}));
}

TEST(MessageLoop, RunsNoOtherTaskInsideATaskUnlessAllowed) {
  Watchdog watchdog;
  auto pump = std::make_shared<DefaultMessagePump>();
  MessageLoop loop(MessageLoop::kDefault, pump);
  MessagePump::Delegate* delegate = &loop;
  bool other_ran = false;
  loop.PostTask([&] {
    loop.PostTask([&] { other_ran = true; });
    TickClock next;
    EXPECT_FALSE(delegate->RunWork());
    EXPECT_FALSE(delegate->RunDelayedWork(&next));
    EXPECT_FALSE(other_ran);
  });
  QuitWhenDone(loop);
  loop.Run();
  EXPECT_TRUE(other_ran);
}

// A pump like the UI layer's: besides the loop's work it dispatches window
// events, which are not tasks, so an event handler may open a modal (nested)
// run in which tasks keep running.
class EventPump : public MessagePump {
 public:
  void PushEvent(StdClosure event) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      events_.push_back(std::move(event));
    }
    cv_.notify_one();
  }

  void Run(Delegate* delegate) override {
    bool should_quit = false;
    bool* outer_quit = should_quit_;
    should_quit_ = &should_quit;
    TickClock next_delayed_time;
    while (!should_quit) {
      bool more = DispatchOneEvent();
      if (should_quit) break;
      more |= delegate->RunWork();
      if (should_quit) break;
      more |= delegate->RunDelayedWork(&next_delayed_time);
      if (should_quit) break;
      if (more) continue;
      more = delegate->RunIdleWork();
      if (should_quit) break;
      if (more) continue;
      std::unique_lock<std::mutex> lock(mutex_);
      cv_.wait(lock, [this] { return woken_ || !events_.empty(); });
      woken_ = false;
    }
    should_quit_ = outer_quit;
  }
  void Quit() override {
    if (should_quit_) *should_quit_ = true;
  }
  void WakeUp() override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      woken_ = true;
    }
    cv_.notify_one();
  }
  void WakeUpAt(TickClock) override {}

 private:
  bool DispatchOneEvent() {
    StdClosure event;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (events_.empty()) return false;
      event = std::move(events_.front());
      events_.pop_front();
    }
    event();
    return true;
  }

  std::mutex mutex_;
  std::condition_variable cv_;
  std::deque<StdClosure> events_;
  bool woken_ = false;
  bool* should_quit_ = nullptr;
};

TEST(MessageLoop, ModalRunFromAnEventHandlerRunsTasksButOneInsideATaskDoesNot) {
  Watchdog watchdog;
  auto pump = std::make_shared<EventPump>();
  MessageLoop loop(MessageLoop::kUI, pump);
  std::vector<std::string> order;
  auto log = [&](const std::string& what) {
    order.push_back(what + "@" + std::to_string(loop.run_depth()));
  };

  // A click opens a message box: a modal run inside an event handler.
  pump->PushEvent([&] {
    log("click opens box");
    loop.PostTask([&] {
      log("task during box");
      pump->PushEvent([&] {  // the user closes the box
        log("box closed");
        loop.QuitWhenIdle();
      });
    });
    loop.PostNonNestableTask([&] { log("non-nestable during box"); });
    loop.Run();
    log("click handler ends");

    // A task opens a box: nothing else runs until that task returns.
    loop.PostTask([&] {
      log("task opens box");
      loop.PostTask([&] { log("task posted during task's box"); });
      auto closes_left = std::make_shared<int>(3);
      std::shared_ptr<StdClosure> close = std::make_shared<StdClosure>();
      *close = [&, closes_left, close] {
        if (--*closes_left > 0) {
          pump->PushEvent(*close);  // several pump cycles pass with the task pending
        } else {
          log("task's box closed");
          loop.QuitWhenIdle();
          *close = nullptr;  // breaks the self-reference
        }
      };
      pump->PushEvent(*close);
      loop.Run();
      log("task ends");
      QuitWhenDone(loop);
    });
  });
  loop.Run();
  // The deferred non-nestable task waits for the outer run to be idle.
  EXPECT_EQ(order,
            (std::vector<std::string>{
                "click opens box@1", "task during box@2", "box closed@2", "click handler ends@1",
                "task opens box@1", "task's box closed@2", "task ends@1",
                "task posted during task's box@1", "non-nestable during box@1"}));
}

TEST(MessageLoop, TellsTaskObserversAroundEachTask) {
  Watchdog watchdog;
  struct Observer : MessageLoop::TaskObserver {
    std::vector<std::string>* log;
    void WillProcessTask() override { log->push_back("will"); }
    void DidProcessTask() override { log->push_back("did"); }
  };
  MessageLoop loop;
  std::vector<std::string> log;
  Observer observer;
  observer.log = &log;
  loop.AddTaskObserver(&observer);
  loop.PostTask([&] { log.push_back("task"); });
  loop.PostTask([&] {
    loop.RemoveTaskObserver(&observer);
    loop.QuitWhenIdle();
  });
  loop.Run();
  EXPECT_EQ(log, (std::vector<std::string>{"will", "task", "did", "will"}));
}

TEST(MessageLoop, DestructionDiscardsEveryTaskWithoutCallingIt) {
  Watchdog watchdog;
  ScopedTestClock clock;  // frozen: delayed tasks never come due
  auto record = std::make_shared<CallRecord>();
  std::shared_ptr<MessageLoopProxy> proxy;
  struct DestructionLog : MessageLoop::DestructionObserver {
    bool told = false;
    void WillDestroyCurrentMessageLoop() override { told = true; }
  } destruction;
  {
    MessageLoop loop;
    proxy = loop.proxy();
    loop.AddDestructionObserver(&destruction);
    loop.PostTask(RecordingTask(record));             // runs
    loop.PostNonNestableTask(RecordingTask(record));  // runs
    loop.PostDelayedTask(RecordingTask(record), TimeDelta::FromMilliseconds(10));
    QuitWhenDone(loop);
    loop.Run();
    ASSERT_EQ(record->calls.load(), 2);
    // Left in the incoming queue when the loop dies.
    loop.PostTask(RecordingTask(record));
    loop.PostNonNestableDelayedTask(RecordingTask(record), TimeDelta::FromMilliseconds(1));
    EXPECT_EQ(record->live_copies.load(), 3);
    EXPECT_TRUE(proxy->BelongsToCurrentThread());
  }
  EXPECT_EQ(record->calls.load(), 2);
  EXPECT_EQ(record->live_copies.load(), 0);
  EXPECT_TRUE(destruction.told);
  EXPECT_EQ(MessageLoop::current(), nullptr);

  EXPECT_FALSE(proxy->PostTask(RecordingTask(record)));
  EXPECT_FALSE(proxy->PostDelayedTask(RecordingTask(record), TimeDelta::FromMilliseconds(1)));
  EXPECT_FALSE(proxy->PostNonNestableTask(RecordingTask(record)));
  EXPECT_FALSE(proxy->BelongsToCurrentThread());
  EXPECT_EQ(record->live_copies.load(), 0);
  EXPECT_EQ(record->calls.load(), 2);
}

// Shared by every copy of one posted callable; when the last copy dies it
// posts the next generation through the proxy.
struct Generation {
  Generation(std::shared_ptr<MessageLoopProxy> proxy, std::shared_ptr<int> remaining,
             std::shared_ptr<int> accepted, std::shared_ptr<int> calls)
      : proxy(std::move(proxy)),
        remaining(std::move(remaining)),
        accepted(std::move(accepted)),
        calls(std::move(calls)) {}
  Generation(const Generation&) = delete;
  std::shared_ptr<MessageLoopProxy> proxy;
  std::shared_ptr<int> remaining;
  std::shared_ptr<int> accepted;
  std::shared_ptr<int> calls;
  ~Generation() {
    if (*remaining <= 0) return;
    --*remaining;
    if (proxy->PostTask(Make(proxy, remaining, accepted, calls))) ++*accepted;
  }
  static StdClosure Make(std::shared_ptr<MessageLoopProxy> proxy, std::shared_ptr<int> remaining,
                         std::shared_ptr<int> accepted, std::shared_ptr<int> calls) {
    auto token = std::make_shared<Generation>(proxy, remaining, accepted, calls);
    return [token] { ++*token->calls; };
  }
};

TEST(MessageLoop, DestructionDiscardsTasksPostedByDiscardedTasksInBoundedRounds) {
  Watchdog watchdog;
  struct Case {
    int generations;
    bool all_accepted;
  };
  for (Case c : {Case{3, true}, Case{1000, false}}) {
    auto remaining = std::make_shared<int>(c.generations);
    auto accepted = std::make_shared<int>(0);
    auto calls = std::make_shared<int>(0);
    {
      MessageLoop loop;
      loop.PostTask(Generation::Make(loop.proxy(), remaining, accepted, calls));
    }
    EXPECT_EQ(*calls, 0) << c.generations;
    EXPECT_EQ(*remaining, 0) << c.generations;  // every generation was destroyed
    if (c.all_accepted) {
      EXPECT_EQ(*accepted, c.generations);
    } else {
      // The loop chased re-posts for at most 100 rounds, then refused them.
      EXPECT_GT(*accepted, 50);
      EXPECT_LT(*accepted, 250);
    }
  }
}

TEST(MessageLoop, QuitBeforeRunEndsTheNextRunWhenIdle) {
  Watchdog watchdog;
  MessageLoop loop;
  std::vector<int> ran;
  loop.PostTask([&ran] { ran.push_back(1); });
  loop.QuitWhenIdle();
  loop.PostTask([&ran] { ran.push_back(2); });
  loop.Run();
  EXPECT_EQ(ran, (std::vector<int>{1, 2}));
  // The request was used up: a later run, idle until its delayed task comes
  // due, keeps running until that task quits it.
  loop.PostDelayedTask(
      [&] {
        ran.push_back(3);
        loop.QuitWhenIdle();
      },
      TimeDelta::FromMilliseconds(5));
  loop.Run();
  EXPECT_EQ(ran, (std::vector<int>{1, 2, 3}));
}

TEST(MessageLoop, UsesTheRegisteredUIPumpForUILoopsOnly) {
  Watchdog watchdog;
  auto made = std::make_shared<std::atomic<int>>(0);
  MessageLoop::SetUIPumpFactory([made] {
    ++*made;
    return std::make_shared<CountingPump>();
  });
  {
    MessageLoop ui(MessageLoop::kUI);
    EXPECT_NE(dynamic_cast<CountingPump*>(ui.pump()), nullptr);
  }
  {
    MessageLoop worker(MessageLoop::kDefault);
    EXPECT_EQ(dynamic_cast<CountingPump*>(worker.pump()), nullptr);
  }
  MessageLoop::SetUIPumpFactory(nullptr);
  {
    MessageLoop ui(MessageLoop::kUI);
    EXPECT_NE(dynamic_cast<DefaultMessagePump*>(ui.pump()), nullptr);
    EXPECT_EQ(dynamic_cast<CountingPump*>(ui.pump()), nullptr);
  }
  EXPECT_EQ(made->load(), 1);
}

}  // namespace
}  // namespace nbase
