// The per-thread record of a framework thread: which FrameworkThread runs on
// this thread, whether its loop was asked to quit properly, and its
// registration in the ThreadRegistry. Lives in a thread-local slot from the
// start of the thread body to its end.
#pragma once

#include <cstdint>

namespace nbase {

class FrameworkThread;

struct ThreadLocalRecord {
  FrameworkThread* framework_thread = nullptr;
  // Set when the loop was told to quit by a stop request (or by the thread's
  // own Cleanup), rather than ending for another reason.
  bool quit_properly = false;
  // Active registrations of this thread in the ThreadRegistry.
  int managed_count = 0;
  // The identifier this thread is registered under, -1 when none.
  int32_t managed_thread_id = -1;
};

}  // namespace nbase
