#include "base/thread.h"

#include <system_error>

#include "base/os_thread.h"

namespace nbase {

Thread::~Thread() { Join(); }

bool Thread::Create() {
  if (created_) return false;
  try {
    handle_ = std::thread(&Thread::ThreadMain, this);
  } catch (const std::system_error&) {
    return false;  // the system refused a new thread
  }
  created_ = true;
  return true;
}

bool Thread::Join() {
  if (!created_) return false;
  handle_.join();
  created_ = false;
  return true;
}

void Thread::SetCurrentThreadId(bool running) {
  thread_id_.store(running ? OsThread::CurrentId() : 0, std::memory_order_release);
}

void Thread::ThreadMain() {
  if (priority_ != 0) OsThread::SetCurrentPriority(priority_);
  SetCurrentThreadId(true);
  Run();
  SetCurrentThreadId(false);
}

}  // namespace nbase
