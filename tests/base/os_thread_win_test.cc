#include "base/os_thread.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

namespace nbase {
namespace {

// Each priority, applied on a fresh thread, is what the system then reports.
TEST(OsThread, PrioritiesAreTheSystemsThreadPriorities) {
  struct Case {
    int priority;
    int level;
  };
  const Case cases[] = {{0, THREAD_PRIORITY_NORMAL},        {1, THREAD_PRIORITY_LOWEST},
                        {2, THREAD_PRIORITY_BELOW_NORMAL},  {3, THREAD_PRIORITY_HIGHEST},
                        {4, THREAD_PRIORITY_TIME_CRITICAL}, {7, THREAD_PRIORITY_BELOW_NORMAL},
                        {-3, THREAD_PRIORITY_NORMAL}};
  for (const Case& c : cases) {
    bool applied = false;
    int level = 0;
    std::thread thread([&] {
      applied = OsThread::SetCurrentPriority(c.priority);
      level = GetThreadPriority(GetCurrentThread());
    });
    thread.join();
    EXPECT_TRUE(applied) << c.priority;
    EXPECT_EQ(level, c.level) << c.priority;
  }
}

}  // namespace
}  // namespace nbase
