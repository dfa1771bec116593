// A plain OS thread whose body is the virtual Run.
//
// Priorities keep the installer's values: 0 leaves the default; 1 lowest,
// 2 below normal, 3 highest, 4 time critical; any other value above 4 means
// below normal. Linux threads have no such classes, so they map to the
// thread's nice value, changed relative to the inherited one with
// setpriority on the thread's own id as it starts: lowest +10, below normal
// +5, highest -5, time critical -10 (clamped to -20..19). Raising
// a priority (a negative nice value) needs CAP_SYS_NICE; without it the
// thread keeps the default priority and runs all the same.
#pragma once

#include <pthread.h>

#include <atomic>
#include <cstdint>

namespace nbase {

class Thread {
 public:
  Thread() = default;
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;
  // Joins a thread that is still running, so that none outlives its object.
  virtual ~Thread();

  // The thread body; empty here.
  virtual void Run() {}

  // Starts the OS thread, which calls Run and ends. False when the system
  // refuses a new thread or one is already running.
  bool Create();
  // Waits for the thread to end; false when there is nothing to wait for.
  bool Join();
  bool has_os_thread() const { return created_; }

  // Takes effect for the next Create.
  void set_priority(int priority) { priority_ = priority; }
  int priority() const { return priority_; }

  // The kernel's thread id of the running body, 0 when not running.
  int32_t thread_id() const { return thread_id_.load(std::memory_order_acquire); }

  // The nice value a priority maps to (0 for the default).
  static int NiceValueForPriority(int priority);

 protected:
  // Records (or clears, with false) the calling thread as this object's
  // running body; for bodies run without Create.
  void SetCurrentThreadId(bool running);

 private:
  static void* ThreadMain(void* arg);

  pthread_t handle_{};
  bool created_ = false;
  int priority_ = 0;
  std::atomic<int32_t> thread_id_{0};
};

}  // namespace nbase
