#include "base/thread.h"

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
  int nice_value = NiceValueForPriority(self->priority_);
  if (nice_value != 0) {
    // Fails quietly without the right to raise a priority: the default stays.
    setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), nice_value);
  }
  self->SetCurrentThreadId(true);
  self->Run();
  self->SetCurrentThreadId(false);
  return nullptr;
}

}  // namespace nbase
