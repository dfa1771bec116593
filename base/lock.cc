#include "base/lock.h"

namespace nbase {
namespace {

// Attempts before the lock sleeps in the kernel.
constexpr int kSpinCount = 2000;

inline void CpuRelax() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#elif defined(__aarch64__)
  asm volatile("yield");
#endif
}

}  // namespace

Lock::Lock() { pthread_mutex_init(&mutex_, nullptr); }

Lock::~Lock() { pthread_mutex_destroy(&mutex_); }

void Lock::lock() {
  for (int i = 0; i < kSpinCount; ++i) {
    if (pthread_mutex_trylock(&mutex_) == 0) return;
    CpuRelax();
  }
  pthread_mutex_lock(&mutex_);
}

bool Lock::try_lock() { return pthread_mutex_trylock(&mutex_) == 0; }

void Lock::unlock() { pthread_mutex_unlock(&mutex_); }

}  // namespace nbase
