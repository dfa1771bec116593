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

void Lock::lock() {
  for (int i = 0; i < kSpinCount; ++i) {
    if (mutex_.try_lock()) return;
    CpuRelax();
  }
  mutex_.lock();
}

bool Lock::try_lock() { return mutex_.try_lock(); }

void Lock::unlock() { mutex_.unlock(); }

}  // namespace nbase
