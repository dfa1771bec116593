#include "base/os_thread.h"

#include <windows.h>

namespace nbase {

int32_t OsThread::CurrentId() { return static_cast<int32_t>(GetCurrentThreadId()); }

int OsThread::SystemLevelFor(int priority, int inherited_level) {
  switch (priority) {
    case 1:
      return THREAD_PRIORITY_LOWEST;
    case 2:
      return THREAD_PRIORITY_BELOW_NORMAL;
    case 3:
      return THREAD_PRIORITY_HIGHEST;
    case 4:
      return THREAD_PRIORITY_TIME_CRITICAL;
    default:
      return priority > 4 ? THREAD_PRIORITY_BELOW_NORMAL : inherited_level;
  }
}

bool OsThread::SetCurrentPriority(int priority) {
  const int current = GetThreadPriority(GetCurrentThread());
  const int wanted = SystemLevelFor(priority, current);
  if (wanted == current) return true;
  return SetThreadPriority(GetCurrentThread(), wanted) != 0;
}

int OsThread::CurrentSystemLevel() { return GetThreadPriority(GetCurrentThread()); }

}  // namespace nbase
