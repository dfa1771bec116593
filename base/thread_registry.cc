#include "base/thread_registry.h"

#include <map>
#include <mutex>
#include <utility>

#include "base/framework_thread.h"
#include "base/lock.h"
#include "base/message_loop.h"
#include "base/message_loop_proxy.h"

namespace nbase {
namespace {

struct Entry {
  FrameworkThread* thread;
  // The thread's loop outlives its registration: a thread registers from its
  // body while the loop exists, and the body removes what is left before the
  // loop goes. So posting by identifier goes straight to the loop.
  MessageLoop* loop;
  std::shared_ptr<MessageLoopProxy> proxy;
};

struct Registry {
  Lock mutex;
  std::map<ThreadId, Entry> threads;
};

Registry& GetRegistry() {
  static Registry* registry = new Registry;  // never destroyed: usable at exit
  return *registry;
}

// Posts to the registered thread's loop under the registry's lock, which keeps
// the entry (and so the loop) alive without a shared owner per post. No post
// is refused and no user code runs under the lock.
template <typename Post>
bool PostToLoop(ThreadId id, Post post) {
  Registry& registry = GetRegistry();
  std::lock_guard<Lock> lock(registry.mutex);
  auto it = registry.threads.find(id);
  if (it == registry.threads.end() || !it->second.loop) return false;
  post(*it->second.loop);
  return true;
}

}  // namespace

bool ThreadRegistry::RegisterThread(ThreadId id) {
  ThreadLocalRecord* record = FrameworkThread::CurrentRecord();
  if (id < 0 || !record) return false;
  Registry& registry = GetRegistry();
  {
    std::lock_guard<Lock> lock(registry.mutex);
    auto inserted = registry.threads.emplace(
        id, Entry{record->framework_thread, record->framework_thread->message_loop(),
                  record->framework_thread->message_loop_proxy()});
    if (!inserted.second && inserted.first->second.thread != record->framework_thread) {
      return false;
    }
  }
  ++record->managed_count;
  record->managed_thread_id = id;
  return true;
}

bool ThreadRegistry::UnregisterThread() {
  ThreadLocalRecord* record = FrameworkThread::CurrentRecord();
  if (!record || record->managed_count <= 0) return false;
  if (--record->managed_count == 0) {
    Registry& registry = GetRegistry();
    std::lock_guard<Lock> lock(registry.mutex);
    auto it = registry.threads.find(record->managed_thread_id);
    if (it != registry.threads.end() && it->second.thread == record->framework_thread) {
      registry.threads.erase(it);
    }
    record->managed_thread_id = -1;
  }
  return true;
}

ThreadId ThreadRegistry::CurrentThreadId() {
  ThreadLocalRecord* record = FrameworkThread::CurrentRecord();
  return record ? record->managed_thread_id : -1;
}

std::shared_ptr<MessageLoopProxy> ThreadRegistry::GetLoopProxy(ThreadId id) {
  Registry& registry = GetRegistry();
  std::lock_guard<Lock> lock(registry.mutex);
  auto it = registry.threads.find(id);
  if (it == registry.threads.end()) return nullptr;
  return it->second.proxy;
}

bool ThreadRegistry::PostTask(ThreadId id, StdClosure task) {
  return PostToLoop(id, [&task](MessageLoop& loop) { loop.PostTask(std::move(task)); });
}

bool ThreadRegistry::PostDelayedTask(ThreadId id, StdClosure task, TimeDelta delay) {
  if (delay == TimeDelta()) return PostTask(id, std::move(task));
  return PostToLoop(
      id, [&task, delay](MessageLoop& loop) { loop.PostDelayedTask(std::move(task), delay); });
}

bool ThreadRegistry::PostNonNestableTask(ThreadId id, StdClosure task) {
  return PostToLoop(id, [&task](MessageLoop& loop) { loop.PostNonNestableTask(std::move(task)); });
}

bool ThreadRegistry::PostRepeatedTask(ThreadId id, const WeakCallback<StdClosure>& task,
                                      TimeDelta delay, int times) {
  if (times == 0 || times < -1) return false;
  StdClosure run = [id, task, delay, times] {
    if (task.Expired()) return;
    task();
    if (task.Expired()) return;
    int remaining = times == -1 ? -1 : times - 1;
    if (remaining != 0) PostRepeatedTask(id, task, delay, remaining);
  };
  return PostDelayedTask(id, std::move(run), delay);
}

}  // namespace nbase
