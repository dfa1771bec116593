// The part of a message loop that waits: it runs the loop's work through a
// Delegate and sleeps when there is none. The default pump waits on an event;
// the UI layer supplies a pump that also waits on window-system events (see
// MessageLoop::SetUIPumpFactory), so this layer knows nothing of windows.
//
// Promises every pump must keep:
//  - Run(delegate) calls RunWork, RunDelayedWork and RunIdleWork until Quit is
//    called on the pump's thread, and may be entered again from inside a task
//    or an event handler (a nested run); Quit ends the innermost run only.
//  - WakeUp may be called from any thread and makes a sleeping Run call
//    RunWork soon.
//  - WakeUpAt(t) is called only on the pump's thread, from inside Run, and
//    makes the pump call RunDelayedWork no later than at time t.
#pragma once

#include "base/tick_clock.h"

namespace nbase {

class MessagePump {
 public:
  class Delegate {
   public:
    // Runs at most one immediate task; true when one ran.
    virtual bool RunWork() = 0;
    // Runs at most one due delayed task; true when one ran. Sets
    // *next_delayed_time to the due time of the next delayed task, or to the
    // null time when none is known.
    virtual bool RunDelayedWork(TickClock* next_delayed_time) = 0;
    // Runs idle work (deferred tasks) or asks the pump to quit; true when work ran.
    virtual bool RunIdleWork() = 0;

   protected:
    virtual ~Delegate() = default;
  };

  virtual ~MessagePump() = default;

  virtual void Run(Delegate* delegate) = 0;
  virtual void Quit() = 0;
  virtual void WakeUp() = 0;
  virtual void WakeUpAt(TickClock time) = 0;
};

}  // namespace nbase
