// A plain OS thread whose body is the virtual Run.
//
// Priorities keep the installer's values (0 leaves the default; 1 lowest,
// 2 below normal, 3 highest, 4 time critical; any other value above 4 means
// below normal); the new thread applies its own as it starts, before Run.
// How each system maps them is written in os_thread.h. A priority the system
// refuses leaves the default, and the thread runs all the same.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

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

  // The system's thread id of the running body, 0 when not running.
  int32_t thread_id() const { return thread_id_.load(std::memory_order_acquire); }

 protected:
  // Records (or clears, with false) the calling thread as this object's
  // running body; for bodies run without Create.
  void SetCurrentThreadId(bool running);

 private:
  void ThreadMain();

  std::thread handle_;
  bool created_ = false;
  int priority_ = 0;
  std::atomic<int32_t> thread_id_{0};
};

}  // namespace nbase
