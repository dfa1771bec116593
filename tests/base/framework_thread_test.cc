#include "base/framework_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "base/default_message_pump.h"
#include "base/message_loop_proxy.h"
#include "base/os_thread.h"
#include "tests/base/loop_test_support.h"

namespace nbase {
namespace {

using testing_support::CallRecord;
using testing_support::RecordingTask;
using testing_support::ScopedTestClock;
using testing_support::WaitReady;
using testing_support::Watchdog;

int32_t CurrentTid() { return OsThread::CurrentId(); }

// Records where and in which order its hooks ran.
class ProbeThread : public FrameworkThread {
 public:
  explicit ProbeThread(std::string name) : FrameworkThread(std::move(name)) {}
  ~ProbeThread() override { Stop(); }

  std::vector<std::string> events;  // touched on the thread, read after Stop
  int32_t init_tid = 0;
  int32_t cleanup_tid = 0;
  bool init_had_loop = false;
  bool quit_properly_at_cleanup = false;
  int init_level = 0;

 protected:
  void Init() override {
    init_tid = CurrentTid();
    init_had_loop = MessageLoop::current() != nullptr && message_loop() == MessageLoop::current();
    init_level = OsThread::CurrentSystemLevel();
    events.push_back("init");
  }
  void Cleanup() override {
    cleanup_tid = CurrentTid();
    quit_properly_at_cleanup = CurrentRecord() && CurrentRecord()->quit_properly;
    events.push_back("cleanup");
  }
};

TEST(FrameworkThread, StartRunsInitOnTheNewThreadBeforeReturning) {
  Watchdog watchdog;
  ProbeThread thread("probe");
  ASSERT_TRUE(thread.Start());
  EXPECT_TRUE(thread.running());
  EXPECT_EQ(thread.events, (std::vector<std::string>{"init"}));
  EXPECT_TRUE(thread.init_had_loop);
  EXPECT_NE(thread.init_tid, 0);
  EXPECT_NE(thread.init_tid, CurrentTid());
  EXPECT_EQ(thread.thread_id(), thread.init_tid);
  EXPECT_FALSE(thread.Start()) << "a running thread is not started twice";

  std::promise<FrameworkThread*> current;
  ASSERT_TRUE(thread.message_loop_proxy()->PostTask(
      [&current] { current.set_value(FrameworkThread::Current()); }));
  auto future = current.get_future();
  ASSERT_TRUE(WaitReady(future));
  EXPECT_EQ(future.get(), &thread);

  thread.Stop();
  EXPECT_FALSE(thread.running());
  EXPECT_EQ(thread.events, (std::vector<std::string>{"init", "cleanup"}));
  EXPECT_EQ(thread.cleanup_tid, thread.init_tid);
  EXPECT_TRUE(thread.quit_properly_at_cleanup);
  EXPECT_EQ(thread.thread_id(), 0);
  EXPECT_EQ(thread.message_loop_proxy(), nullptr);
}

TEST(FrameworkThread, StopRunsQueuedTasksAndDiscardsDelayedOnesNotDue) {
  Watchdog watchdog;
  ScopedTestClock clock;  // frozen: the delayed task never comes due
  auto delayed = std::make_shared<CallRecord>();
  std::vector<int> ran;
  std::shared_ptr<MessageLoopProxy> proxy;
  {
    ProbeThread thread("stopper");
    ASSERT_TRUE(thread.Start());
    proxy = thread.message_loop_proxy();
    ASSERT_TRUE(proxy->PostDelayedTask(RecordingTask(delayed), TimeDelta::FromMilliseconds(10)));
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(proxy->PostTask([&ran, i] { ran.push_back(i); }));
    thread.Stop();
    EXPECT_FALSE(thread.running());
  }
  EXPECT_EQ(ran, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(delayed->calls.load(), 0);
  EXPECT_EQ(delayed->live_copies.load(), 0);
  EXPECT_FALSE(proxy->PostTask([] {}));
}

TEST(FrameworkThread, StopFromItsOwnThreadOnlyRequestsTheEnd) {
  Watchdog watchdog;
  ProbeThread thread("self stopper");
  ASSERT_TRUE(thread.Start());
  std::promise<void> asked;
  thread.message_loop_proxy()->PostTask([&] {
    thread.Stop();
    asked.set_value();
  });
  auto future = asked.get_future();
  ASSERT_TRUE(WaitReady(future));
  thread.Stop();  // joins the thread that has quit by itself
  EXPECT_EQ(thread.events, (std::vector<std::string>{"init", "cleanup"}));
  EXPECT_TRUE(thread.quit_properly_at_cleanup);
}

TEST(FrameworkThread, CanBeStartedAgainAfterStop) {
  Watchdog watchdog;
  ProbeThread thread("restart");
  for (int round = 0; round < 3; ++round) {
    ASSERT_TRUE(thread.Start()) << round;
    std::promise<void> ran;
    thread.message_loop_proxy()->PostTask([&ran] { ran.set_value(); });
    auto future = ran.get_future();
    ASSERT_TRUE(WaitReady(future)) << round;
    thread.Stop();
  }
  EXPECT_EQ(thread.events.size(), 6u);
}

TEST(FrameworkThread, RunOnCurrentThreadRunsTheBodyWithoutANewThread) {
  Watchdog watchdog;
  ProbeThread thread("MainThread");
  bool ran_here = false;
  std::shared_ptr<MessageLoopProxy> proxy;
  std::thread poster([&] {
    ASSERT_TRUE(testing_support::WaitUntil([&] {
      proxy = thread.message_loop_proxy();
      return proxy != nullptr;
    }));
    proxy->PostTask([&] { ran_here = CurrentTid() == thread.thread_id(); });
    thread.Stop();
  });
  thread.RunOnCurrentThread(MessageLoop::kUI);
  poster.join();
  EXPECT_TRUE(ran_here);
  EXPECT_EQ(thread.init_tid, CurrentTid());
  EXPECT_EQ(thread.events, (std::vector<std::string>{"init", "cleanup"}));
  EXPECT_TRUE(thread.quit_properly_at_cleanup);
  EXPECT_FALSE(thread.running());
  EXPECT_EQ(FrameworkThread::CurrentRecord(), nullptr);
  EXPECT_EQ(MessageLoop::current(), nullptr);

  // The same object can later run on a thread of its own; Start still waits
  // for that thread's Init.
  ASSERT_TRUE(thread.Start());
  EXPECT_EQ(thread.events.size(), 3u);
  EXPECT_NE(thread.init_tid, CurrentTid());
  thread.Stop();
}

TEST(FrameworkThread, InitCanEndTheLoopBeforeItRuns) {
  Watchdog watchdog;
  // Like a start-up that refuses to run twice: Init gives up at once.
  class RefusingThread : public ProbeThread {
   public:
    RefusingThread() : ProbeThread("refusing") {}
    ~RefusingThread() override { Stop(); }

   protected:
    void Init() override {
      ProbeThread::Init();
      MessageLoop::current()->QuitWhenIdle();
    }
  };
  RefusingThread thread;
  thread.RunOnCurrentThread(MessageLoop::kUI);
  EXPECT_EQ(thread.events, (std::vector<std::string>{"init", "cleanup"}));
  EXPECT_FALSE(thread.quit_properly_at_cleanup) << "no stop request was made";
}

TEST(FrameworkThread, MakesUIAndCustomLoopsThroughTheRegisteredFactories) {
  Watchdog watchdog;
  class MarkedPump : public DefaultMessagePump {};
  MessageLoop::SetUIPumpFactory([] { return std::make_shared<MarkedPump>(); });
  auto pump_kind = [](FrameworkThread& thread) {
    std::promise<std::string> kind;
    thread.message_loop_proxy()->PostTask([&kind] {
      MessageLoop* loop = MessageLoop::current();
      kind.set_value(std::to_string(loop->type()) +
                     (dynamic_cast<MarkedPump*>(loop->pump()) ? " marked" : " default"));
    });
    auto future = kind.get_future();
    return WaitReady(future) ? future.get() : std::string("no answer");
  };
  ProbeThread ui("ui");
  ASSERT_TRUE(ui.Start(MessageLoop::kUI));
  EXPECT_EQ(pump_kind(ui), "1 marked");
  ui.Stop();

  ProbeThread worker("worker");
  ASSERT_TRUE(worker.Start(MessageLoop::kDefault));
  EXPECT_EQ(pump_kind(worker), "0 default");
  worker.Stop();
  MessageLoop::SetUIPumpFactory(nullptr);

  ProbeThread custom("custom");
  custom.SetCustomLoopFactory([] {
    return std::make_unique<MessageLoop>(MessageLoop::kIO, std::make_shared<MarkedPump>());
  });
  ASSERT_TRUE(custom.Start(MessageLoop::kCustom));
  EXPECT_EQ(pump_kind(custom), "2 marked");
}

TEST(FrameworkThread, LowestPriorityLowersTheThreadAndHighestNeverFailsTheStart) {
  Watchdog watchdog;
  const int base_level = OsThread::CurrentSystemLevel();
  ProbeThread low("low");
  low.set_priority(1);
  ASSERT_TRUE(low.Start());
  EXPECT_EQ(low.init_level, OsThread::SystemLevelFor(1, base_level));
  EXPECT_NE(low.init_level, base_level);
  low.Stop();

  ProbeThread high("high");
  high.set_priority(4);  // may be refused without the right to raise it
  ASSERT_TRUE(high.Start());
  EXPECT_TRUE(high.init_level == OsThread::SystemLevelFor(4, base_level) ||
              high.init_level == base_level)
      << high.init_level;
}

}  // namespace
}  // namespace nbase
