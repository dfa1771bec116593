#include "base/os_thread.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace nbase {
namespace {

int NiceOffsetFor(int priority) {
  switch (priority) {
    case 1:
      return 10;
    case 2:
      return 5;
    case 3:
      return -5;
    case 4:
      return -10;
    default:
      return priority > 4 ? 5 : 0;
  }
}

}  // namespace

int32_t OsThread::CurrentId() { return static_cast<int32_t>(syscall(SYS_gettid)); }

int OsThread::SystemLevelFor(int priority, int inherited_level) {
  return std::clamp(inherited_level + NiceOffsetFor(priority), -20, 19);
}

bool OsThread::SetCurrentPriority(int priority) {
  if (NiceOffsetFor(priority) == 0) return true;
  // Relative to the nice value the thread inherited, so a program started
  // with `nice` keeps its workers ordered the same way.
  const id_t tid = static_cast<id_t>(CurrentId());
  errno = 0;
  const int inherited = getpriority(PRIO_PROCESS, tid);
  if (errno != 0) return false;
  return setpriority(PRIO_PROCESS, tid, SystemLevelFor(priority, inherited)) == 0;
}

int OsThread::CurrentSystemLevel() {
  return getpriority(PRIO_PROCESS, static_cast<id_t>(CurrentId()));
}

}  // namespace nbase
