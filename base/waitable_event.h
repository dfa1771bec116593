// An auto-reset event: Signal wakes one waiter, or the next one to wait if
// nobody is waiting; a successful wait resets it. Starts unsignalled.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace nbase {

class WaitableEvent {
 public:
  WaitableEvent() = default;
  WaitableEvent(const WaitableEvent&) = delete;
  WaitableEvent& operator=(const WaitableEvent&) = delete;

  void Signal();
  // Waits without limit.
  void Wait();
  // Waits at most `timeout_ms` milliseconds; true when signalled.
  bool TimedWait(int64_t timeout_ms);

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  bool signaled_ = false;
};

}  // namespace nbase
