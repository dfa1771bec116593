// A thread-safe handle to one message loop that may outlive it. Posting
// through a proxy whose loop has gone returns false and destroys the task
// without calling it; a post racing with the loop's end either reaches the
// loop or fails cleanly.
//
// The proxy is created by its loop and handed out as std::shared_ptr; it may
// be released on any thread (it holds nothing that belongs to a thread).
#pragma once

#include <memory>
#include <mutex>

#include "base/closure.h"
#include "base/lock.h"
#include "base/time_delta.h"
#include "base/weak_callback.h"

namespace nbase {

class MessageLoop;

class MessageLoopProxy : public SupportWeakCallback {
 public:
  ~MessageLoopProxy() override = default;

  virtual bool PostTask(StdClosure task);
  // A delay of 0 posts an immediate task.
  virtual bool PostDelayedTask(StdClosure task, TimeDelta delay);
  virtual bool PostNonNestableTask(StdClosure task);
  virtual bool PostNonNestableDelayedTask(StdClosure task, TimeDelta delay);
  // True when the loop exists and is the calling thread's loop.
  virtual bool BelongsToCurrentThread();

 private:
  friend class MessageLoop;

  explicit MessageLoopProxy(MessageLoop* loop) : target_(loop) {}
  // Called by the dying loop: later posts fail.
  void DetachFromLoop();

  Lock mutex_;
  MessageLoop* target_;
};

}  // namespace nbase
