// Helpers for tests that run message loops: a watchdog that turns a hang into
// a failure, a test clock the test advances by hand, and waiting on events
// with a deadline.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "base/tick_clock.h"

namespace nbase {
namespace testing_support {

// Ends the process with a clear message when the guarded scope takes longer
// than the limit: a hung loop must fail the test run, never block it.
class Watchdog {
 public:
  explicit Watchdog(std::chrono::seconds limit = std::chrono::seconds(20)) {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    name_ = info ? std::string(info->test_suite_name()) + "." + info->name() : "a test";
    thread_ = std::thread([this, limit] {
      std::unique_lock<std::mutex> lock(mutex_);
      if (!cv_.wait_for(lock, limit, [this] { return done_; })) {
        std::fprintf(stderr, "WATCHDOG: %s hung for more than %lld s\n", name_.c_str(),
                     static_cast<long long>(limit.count()));
        std::fflush(stderr);
        std::_Exit(3);
      }
    });
  }
  ~Watchdog() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      done_ = true;
    }
    cv_.notify_one();
    thread_.join();
  }

 private:
  std::string name_;
  std::mutex mutex_;
  std::condition_variable cv_;
  bool done_ = false;
  std::thread thread_;
};

// Replaces the loop clock with a counter that only moves when the test says
// so; restores the monotonic clock when it goes.
class ScopedTestClock {
 public:
  explicit ScopedTestClock(uint32_t start_ms = 1000)
      : now_ms_(std::make_shared<std::atomic<uint32_t>>(start_ms)) {
    std::shared_ptr<std::atomic<uint32_t>> now = now_ms_;
    TickClock::SetTickSourceForTesting([now] { return now->load(); });
  }
  ~ScopedTestClock() { TickClock::SetTickSourceForTesting(nullptr); }

  void Advance(uint32_t ms) { now_ms_->fetch_add(ms); }
  void Set(uint32_t ms) { now_ms_->store(ms); }

 private:
  std::shared_ptr<std::atomic<uint32_t>> now_ms_;
};

// Waits for a future with a deadline; false when it did not become ready.
template <typename T>
bool WaitReady(std::future<T>& future, std::chrono::seconds limit = std::chrono::seconds(10)) {
  return future.wait_for(limit) == std::future_status::ready;
}

// Polls a condition until it holds or the deadline passes.
template <typename Predicate>
bool WaitUntil(Predicate predicate, std::chrono::seconds limit = std::chrono::seconds(10)) {
  auto deadline = std::chrono::steady_clock::now() + limit;
  while (!predicate()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::yield();
  }
  return true;
}

// Counts how often it is destroyed, and whether it was ever called, through a
// shared record that outlives every copy.
struct CallRecord {
  std::atomic<int> calls{0};
  std::atomic<int> live_copies{0};
};

class RecordingTask {
 public:
  explicit RecordingTask(std::shared_ptr<CallRecord> record) : record_(std::move(record)) {
    ++record_->live_copies;
  }
  RecordingTask(const RecordingTask& other) : record_(other.record_) { ++record_->live_copies; }
  RecordingTask& operator=(const RecordingTask&) = delete;
  ~RecordingTask() { --record_->live_copies; }
  void operator()() const { ++record_->calls; }

 private:
  std::shared_ptr<CallRecord> record_;
};

}  // namespace testing_support
}  // namespace nbase
