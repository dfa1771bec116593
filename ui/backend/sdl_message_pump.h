// SdlMessagePump: the pump of the UI thread's message loop. It waits on SDL's
// event queue and on the loop's next delayed time, hands every window-system
// event to the event handler between tasks, and runs the loop's work.
//
// Promises:
//  - WakeUp (any thread) pushes one SDL user event of the pump's own type, and
//    only when none of this pump's wake-ups is pending: an atomic flag is
//    exchanged, so a flood of posts leaves at most one wake-up in the queue.
//  - A wake-up taken from the queue lets one further event through (handled
//    at once, with a new wake-up pushed) so that a stream of tasks never
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
//  - An idle pump sleeps in SDL_WaitEvent(Timeout): no polling, no CPU.
//  - With VARNIK_UI_STALL=1 the pump measures its longest stretches without
//    looking at input (see UiStallMeter); otherwise it measures nothing.
//
// SDL's video (or events) subsystem must be initialised before the pump is
// made and stay so while it lives. Everything but WakeUp runs on the thread
// that pumps SDL events (the UI thread).
#pragma once

#include <SDL.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

#include "base/message_pump.h"
#include "base/tick_clock.h"
#include "ui/backend/ui_stall_meter.h"

namespace ui {

class SdlMessagePump : public nbase::MessagePump {
 public:
  // Receives every SDL event that is not one of the pump's wake-ups.
  using EventHandler = std::function<void(const SDL_Event&)>;

  SdlMessagePump();
  ~SdlMessagePump() override;
  SdlMessagePump(const SdlMessagePump&) = delete;
  SdlMessagePump& operator=(const SdlMessagePump&) = delete;

  void Run(Delegate* delegate) override;
  void Quit() override;
  void WakeUp() override;
  void WakeUpAt(nbase::TickClock time) override;

  // The handler of window-system events; the process-wide default is
  // SdlBackend's router.
  void SetEventHandler(EventHandler handler) { event_handler_ = std::move(handler); }
  // Called just before the pump blocks in SDL's wait (measurements, tests).
  void SetWillWaitHook(std::function<void()> hook) { will_wait_hook_ = std::move(hook); }

  // The shortest wait for delayed work, in milliseconds.
  static constexpr int kMinDelayedWaitMs = 10;
  // How long the pump sleeps for delayed work due in `delay_ms` (> 0):
  // rounded-up milliseconds, at least kMinDelayedWaitMs, capped for SDL.
  static int DelayedWaitMs(int64_t delay_ms);

  // The SDL event type of wake-ups (registered once per process).
  static uint32_t WakeUpEventType();
  // This pump's identity in the wake-up events it pushes (data1).
  intptr_t id() const { return id_; }
  // Wake-up events pushed so far (any thread may read).
  uint64_t wake_ups_pushed() const { return wake_ups_pushed_.load(std::memory_order_relaxed); }
  // Run depth: 0 outside Run, 1 for the outermost run.
  int run_depth() const { return state_ ? state_->depth : 0; }

 private:
  struct RunState {
    int depth = 0;
    bool should_quit = false;
    Delegate* delegate = nullptr;
  };

  void PumpLoop(RunState* state);
  // Takes one event from the queue without blocking; true when one was
  // handled (or sent events remain).
  bool ProcessNextEvent();
  // Handles an event already taken from the queue; true when it was work.
  bool DispatchTakenEvent(const SDL_Event& event);
  void HandleEvent(const SDL_Event& event);
  bool IsOwnWakeUp(const SDL_Event& event) const;
  void WaitForWork();

  const intptr_t id_;
  std::atomic<int> have_work_{0};
  std::atomic<uint64_t> wake_ups_pushed_{0};
  nbase::TickClock next_delayed_time_;
  RunState* state_ = nullptr;
  EventHandler event_handler_;
  std::function<void()> will_wait_hook_;
  std::unique_ptr<UiStallMeter> stall_meter_;
};

}  // namespace ui
