// One task waiting in a message loop's queues.
#pragma once

#include <cstdint>

#include "base/closure.h"
#include "base/tick_clock.h"

namespace nbase {

struct QueuedTask {
  // Null for an immediate task.
  TickClock due_time;
  // Given when the task enters the delayed queue; orders equal due times.
  int32_t sequence_num = 0;
  // A non-nestable task runs only in the outermost run of its loop.
  bool nestable = true;
  StdClosure task;
};

}  // namespace nbase
