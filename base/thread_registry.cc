#include "base/thread_registry.h"

#include <map>
#include <mutex>
#include <utility>

#include "base/framework_thread.h"
#include "base/message_loop_proxy.h"

namespace nbase {
namespace {

struct Entry {
  FrameworkThread* thread;
  // The thread's loop outlives its registration (the thread body removes
  // what is left before the loop goes), so posting needs no further lookup.
  std::shared_ptr<MessageLoopProxy> proxy;
};

struct Registry {
  std::mutex mutex;
  std::map<ThreadId, Entry> threads;
};

Registry& GetRegistry() {
  static Registry* registry = new Registry;  // never destroyed: usable at exit
  return *registry;
}

// Posts through the registered thread's proxy under the registry's lock, which
// keeps the entry alive without copying the shared owner on every post. A
// registered thread's loop is alive (its body unregisters before the loop
// goes), so the post cannot be refused and no callable is destroyed, and no
// user code runs, under the lock.
template <typename Post>
bool PostWithProxy(ThreadId id, Post post) {
  Registry& registry = GetRegistry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  auto it = registry.threads.find(id);
  if (it == registry.threads.end() || !it->second.proxy) return false;
  return post(*it->second.proxy);
}

}  // namespace

bool ThreadRegistry::RegisterThread(ThreadId id) {
  ThreadLocalRecord* record = FrameworkThread::CurrentRecord();
  if (id < 0 || !record) return false;
  Registry& registry = GetRegistry();
  {
    std::lock_guard<std::mutex> lock(registry.mutex);
    auto inserted = registry.threads.emplace(
        id, Entry{record->framework_thread, record->framework_thread->message_loop_proxy()});
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
    std::lock_guard<std::mutex> lock(registry.mutex);
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
  std::lock_guard<std::mutex> lock(registry.mutex);
  auto it = registry.threads.find(id);
  if (it == registry.threads.end()) return nullptr;
  return it->second.proxy;
}

bool ThreadRegistry::PostTask(ThreadId id, StdClosure task) {
  return PostWithProxy(
      id, [&task](MessageLoopProxy& proxy) { return proxy.PostTask(std::move(task)); });
}

bool ThreadRegistry::PostDelayedTask(ThreadId id, StdClosure task, TimeDelta delay) {
  return PostWithProxy(id, [&task, delay](MessageLoopProxy& proxy) {
    return proxy.PostDelayedTask(std::move(task), delay);
  });
}

bool ThreadRegistry::PostNonNestableTask(ThreadId id, StdClosure task) {
  return PostWithProxy(
      id, [&task](MessageLoopProxy& proxy) { return proxy.PostNonNestableTask(std::move(task)); });
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
