// A mutual-exclusion lock for short critical sections touched by several
// threads (a loop's incoming queue, a proxy's target, the thread registry).
// It spins a bounded number of times before it sleeps, as a critical section
// with a spin count does, because the sections it guards last a few dozen
// instructions and a sleep costs two system calls. Satisfies the standard
// Lockable requirements, so std::lock_guard works with it.
#pragma once

#include <pthread.h>

namespace nbase {

class Lock {
 public:
  Lock();
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;
  ~Lock();

  void lock();
  bool try_lock();
  void unlock();

 private:
  pthread_mutex_t mutex_;
};

}  // namespace nbase
