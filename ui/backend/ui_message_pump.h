// UiMessagePump: the pump of the UI thread's message loop, whatever window
// system it waits on. A window system's pump (SdlMessagePump,
// Win32MessagePump) supplies three things: take one event from the window
// system's queue without blocking, put one wake-up into that queue, and
// sleep until an event arrives or a timeout passes. This class keeps the
// loop's rules on top of them, so every backend keeps the same ones:
//
//  - WakeUp (any thread) puts one wake-up of this pump into the queue, and
//    only when none is pending: an atomic flag is exchanged, so a flood of
//    posts leaves at most one wake-up in the queue.
//  - A wake-up taken from the queue lets one further event through (handled
//    at once, with a new wake-up queued) so that a stream of tasks never
//    starves input and painting.
//  - The wait ends at the next delayed time (rounded up to whole
//    milliseconds, so delayed work never runs early), but a delayed wake-up
//    is never sooner than kMinDelayedWaitMs: like a window-system timer, a
//    wait shorter than that is raised to it, so a chain of tiny delays cannot
//    keep the UI thread spinning.
//  - Run may be entered again from an event handler or from a task (a nested
//    run, e.g. a modal dialog). Which tasks run inside it is the loop's rule:
//    a nested run opened from an event handler runs posted tasks; one opened
//    inside a task runs none until that task returns. Quit ends only the
//    innermost run.
//  - An idle pump sleeps in the window system's wait: no polling, no CPU.
//  - With VARNIK_UI_STALL=1 the pump measures its longest stretches without
//    looking at input (see UiStallMeter); otherwise it measures nothing.
//
// Everything but WakeUp runs on the thread that owns the window system's
// queue (the UI thread).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

#include "base/message_pump.h"
#include "base/tick_clock.h"
#include "ui/backend/ui_stall_meter.h"

namespace ui {

class UiMessagePump : public nbase::MessagePump {
 public:
  UiMessagePump();
  ~UiMessagePump() override;
  UiMessagePump(const UiMessagePump&) = delete;
  UiMessagePump& operator=(const UiMessagePump&) = delete;

  void Run(Delegate* delegate) override;
  void Quit() override;
  void WakeUp() override;
  void WakeUpAt(nbase::TickClock time) override;

  // Called just before the pump blocks in the window system's wait
  // (measurements, tests).
  void SetWillWaitHook(std::function<void()> hook) { will_wait_hook_ = std::move(hook); }

  // The shortest wait for delayed work, in milliseconds.
  static constexpr int kMinDelayedWaitMs = 10;
  // How long the pump sleeps for delayed work due in `delay_ms` (> 0):
  // rounded-up milliseconds, at least kMinDelayedWaitMs, capped to what an
  // int of milliseconds holds comfortably.
  static int DelayedWaitMs(int64_t delay_ms);

  // Wake-ups queued so far (any thread may read).
  uint64_t wake_ups_pushed() const { return wake_ups_pushed_.load(std::memory_order_relaxed); }
  // Run depth: 0 outside Run, 1 for the outermost run.
  int run_depth() const { return state_ ? state_->depth : 0; }

 protected:
  // What TakeEvent found in the window system's queue.
  enum class Taken {
    kNothing,    // the queue was empty
    kOwnWakeUp,  // one of this pump's wake-ups (removed, not handled)
    kEvent,      // any other event (removed, waiting for HandleTakenEvent)
  };

  // Removes the next event from the queue without blocking.
  virtual Taken TakeEvent() = 0;
  // Handles the event the last TakeEvent or WaitForEvent returned as kEvent.
  virtual void HandleTakenEvent() = 0;
  // Puts one wake-up of this pump into the queue; false when the window
  // system refused it. Any thread.
  virtual bool QueueWakeUp() = 0;
  // Blocks until an event is in the queue or `timeout_ms` passed (-1: no
  // time-out), then takes it like TakeEvent.
  virtual Taken WaitForEvent(int timeout_ms) = 0;

  // The delegate of the innermost run, or null outside Run.
  Delegate* current_delegate() const { return state_ ? state_->delegate : nullptr; }
  // A wake-up arrived by another way than TakeEvent (a window system's own
  // modal loop dispatched it): the next post queues a new one.
  void WakeUpConsumed() { have_work_.store(0, std::memory_order_release); }

 private:
  struct RunState {
    int depth = 0;
    bool should_quit = false;
    Delegate* delegate = nullptr;
  };

  void PumpLoop(RunState* state);
  // Deals with what TakeEvent or WaitForEvent found; true when it was work.
  bool ProcessTaken(Taken taken);
  void WaitForWork();

  std::atomic<int> have_work_{0};
  std::atomic<uint64_t> wake_ups_pushed_{0};
  nbase::TickClock next_delayed_time_;
  RunState* state_ = nullptr;
  std::function<void()> will_wait_hook_;
  std::unique_ptr<UiStallMeter> stall_meter_;
};

}  // namespace ui
