#include "base/thread.h"

#include <algorithm>
#include <cerrno>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace nbase {

Thread::~Thread() { Join(); }

int Thread::NiceValueForPriority(int priority) {
  switch (priority) {
    case 0:
      return 0;
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

bool Thread::Create() {
  if (created_) return false;
  if (pthread_create(&handle_, nullptr, &Thread::ThreadMain, this) != 0) return false;
  created_ = true;
  return true;
}

bool Thread::Join() {
  if (!created_) return false;
  pthread_join(handle_, nullptr);
  created_ = false;
  return true;
}

void Thread::SetCurrentThreadId(bool running) {
  thread_id_.store(running ? static_cast<int32_t>(syscall(SYS_gettid)) : 0,
                   std::memory_order_release);
}

void* Thread::ThreadMain(void* arg) {
  Thread* self = static_cast<Thread*>(arg);
  const int offset = NiceValueForPriority(self->priority_);
  if (offset != 0) {
    // Relative to the nice value the thread inherited, so a program started
    // with `nice` keeps its workers ordered the same way. Fails quietly
    // without the right to raise a priority: the inherited value stays.
    const id_t tid = static_cast<id_t>(syscall(SYS_gettid));
    errno = 0;
    const int inherited = getpriority(PRIO_PROCESS, tid);
    if (errno == 0) {
      setpriority(PRIO_PROCESS, tid, std::clamp(inherited + offset, -20, 19));
    }
  }
  self->SetCurrentThreadId(true);
  self->Run();
  self->SetCurrentThreadId(false);
  return nullptr;
}

}  // namespace nbase
