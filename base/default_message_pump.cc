#include "base/default_message_pump.h"

namespace nbase {

void DefaultMessagePump::Run(Delegate* delegate) {
  for (;;) {
    bool did_work = delegate->RunWork();
    if (should_quit_) break;
    did_work |= delegate->RunDelayedWork(&next_delayed_time_);
    if (should_quit_) break;
    if (did_work) continue;
    did_work = delegate->RunIdleWork();
    if (should_quit_) break;
    if (did_work) continue;

    if (next_delayed_time_.is_null()) {
      event_.Wait();
    } else {
      TimeDelta delay = next_delayed_time_ - TickClock::Now();
      if (delay > TimeDelta()) {
        event_.TimedWait(delay.ToMillisecondsRoundedUp());
      } else {
        // The delayed work is due: run it at once.
        next_delayed_time_ = TickClock();
      }
    }
  }
  should_quit_ = false;
}

void DefaultMessagePump::Quit() { should_quit_ = true; }

void DefaultMessagePump::WakeUp() { event_.Signal(); }

void DefaultMessagePump::WakeUpAt(TickClock time) { next_delayed_time_ = time; }

}  // namespace nbase
