// The process-wide table from thread identifier to framework thread, and
// posting by identifier. Every operation is thread-safe.
//
// Posting to an identifier that is not registered (never, not yet, or no
// longer) returns false and destroys the callable without calling it.
#pragma once

#include <memory>

#include "base/closure.h"
#include "base/thread_ids.h"
#include "base/time_delta.h"
#include "base/weak_callback.h"

namespace nbase {

class MessageLoopProxy;

class ThreadRegistry {
 public:
  ThreadRegistry() = delete;

  // Registers the calling framework thread under `id`. False for a negative
  // id, outside a framework thread body, or when another thread holds `id`
  // (which keeps its registration). Registering again under the thread's own
  // id counts one more registration.
  static bool RegisterThread(ThreadId id);
  // Undoes one registration of the calling thread; the entry goes when the
  // last one is undone. False when the thread has none.
  static bool UnregisterThread();

  // The identifier the calling thread is registered under, or -1.
  static ThreadId CurrentThreadId();
  // A handle to the loop of the thread registered under `id`, or null.
  static std::shared_ptr<MessageLoopProxy> GetLoopProxy(ThreadId id);

  static bool PostTask(ThreadId id, StdClosure task);
  static bool PostDelayedTask(ThreadId id, StdClosure task, TimeDelta delay);
  static bool PostNonNestableTask(ThreadId id, StdClosure task);

  // Runs `task` on thread `id` after `delay`, then again `delay` after each
  // run ended, `times` runs in all (-1: without end). The repetition ends by
  // itself as soon as the owner of `task` is gone, or when the thread stops.
  // A `times` of 0 or below -1 posts nothing and returns false.
  static bool PostRepeatedTask(ThreadId id, const WeakCallback<StdClosure>& task, TimeDelta delay,
                               int times);
};

}  // namespace nbase
