// A mutual-exclusion lock for short critical sections touched by several
// threads (a loop's incoming queue, a proxy's target, the thread registry).
// It spins a bounded number of times before it sleeps, as a critical section
// with a spin count does, because the sections it guards last a few dozen
// instructions and a sleep costs two system calls. Satisfies the standard
// Lockable requirements, so std::lock_guard works with it.
#pragma once

#include <mutex>

namespace nbase {

class Lock {
 public:
  Lock() = default;
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;

  void lock();
  bool try_lock();
  void unlock();

 private:
  std::mutex mutex_;
};

}  // namespace nbase
