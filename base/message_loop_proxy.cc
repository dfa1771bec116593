#include "base/message_loop_proxy.h"

#include <utility>

#include "base/message_loop.h"

namespace nbase {

bool MessageLoopProxy::PostTask(StdClosure task) {
  std::lock_guard<Lock> lock(mutex_);
  if (!target_) return false;
  target_->PostTask(std::move(task));
  return true;
}

bool MessageLoopProxy::PostDelayedTask(StdClosure task, TimeDelta delay) {
  if (delay == TimeDelta()) return PostTask(std::move(task));
  std::lock_guard<Lock> lock(mutex_);
  if (!target_) return false;
  target_->PostDelayedTask(std::move(task), delay);
  return true;
}

bool MessageLoopProxy::PostNonNestableTask(StdClosure task) {
  std::lock_guard<Lock> lock(mutex_);
  if (!target_) return false;
  target_->PostNonNestableTask(std::move(task));
  return true;
}

bool MessageLoopProxy::PostNonNestableDelayedTask(StdClosure task, TimeDelta delay) {
  std::lock_guard<Lock> lock(mutex_);
  if (!target_) return false;
  target_->PostNonNestableDelayedTask(std::move(task), delay);
  return true;
}

bool MessageLoopProxy::BelongsToCurrentThread() {
  std::lock_guard<Lock> lock(mutex_);
  return target_ != nullptr && target_ == MessageLoop::current();
}

void MessageLoopProxy::DetachFromLoop() {
  std::lock_guard<Lock> lock(mutex_);
  target_ = nullptr;
}

}  // namespace nbase
