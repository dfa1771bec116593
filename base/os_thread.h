// What the standard thread library leaves out, for the calling thread: the
// system's id of the thread and the scheduling priority the installer's
// threads ask for. One implementation per system (os_thread_posix.cc,
// os_thread_win.cc); nothing else in base/ talks to the system's threads.
//
// Priority values are the installer's: 0 leaves the default; 1 lowest,
// 2 below normal, 3 highest, 4 time critical; any other value above 4 means
// below normal, any negative value the default.
//  - Windows: SetThreadPriority with THREAD_PRIORITY_LOWEST, _BELOW_NORMAL,
//    _HIGHEST, _TIME_CRITICAL; the system level reads as GetThreadPriority.
//  - Linux has no priority classes for threads: the value maps to the
//    thread's nice value, changed relative to the one it inherited (lowest
//    +10, below normal +5, highest -5, time critical -10, clamped to
//    -20..19); the system level reads as the nice value. Raising a priority
//    needs CAP_SYS_NICE; without it the thread keeps its priority.
// A refused change never stops a thread from running.
#pragma once

#include <cstdint>

namespace nbase {

class OsThread {
 public:
  OsThread() = delete;

  // The system's id of the calling thread (the kernel tid on Linux); never 0.
  static int32_t CurrentId();

  // Applies `priority` to the calling thread. False when the system refused.
  static bool SetCurrentPriority(int priority);

  // The calling thread's level on the system's own scale (see above).
  static int CurrentSystemLevel();

  // The level `priority` asks of the system for a thread that starts at
  // `inherited_level` (Linux: nice values, relative; Windows: absolute).
  static int SystemLevelFor(int priority, int inherited_level);
};

}  // namespace nbase
