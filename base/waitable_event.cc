#include "base/waitable_event.h"

#include <chrono>

namespace nbase {

void WaitableEvent::Signal() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (signaled_) return;
    signaled_ = true;
  }
  cv_.notify_one();
}

void WaitableEvent::Wait() {
  std::unique_lock<std::mutex> lock(mutex_);
  cv_.wait(lock, [this] { return signaled_; });
  signaled_ = false;
}

bool WaitableEvent::TimedWait(int64_t timeout_ms) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (!cv_.wait_for(lock, std::chrono::milliseconds(timeout_ms), [this] { return signaled_; })) {
    return false;
  }
  signaled_ = false;
  return true;
}

}  // namespace nbase
