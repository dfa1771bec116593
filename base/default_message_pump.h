// The pump of worker threads: runs the delegate's work and sleeps on an event
// when there is none, at most until the next delayed task is due.
#pragma once

#include "base/message_pump.h"
#include "base/waitable_event.h"

namespace nbase {

class DefaultMessagePump : public MessagePump {
 public:
  DefaultMessagePump() = default;

  // Returns when Quit has been called from the delegate's work; can be run
  // again (also nested) afterwards.
  void Run(Delegate* delegate) override;
  void Quit() override;
  // Any thread.
  void WakeUp() override;
  // The pump's own thread only: the next wait ends no later than `time`.
  void WakeUpAt(TickClock time) override;

 private:
  WaitableEvent event_;
  bool should_quit_ = false;
  TickClock next_delayed_time_;
};

}  // namespace nbase
