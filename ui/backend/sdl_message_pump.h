// SdlMessagePump: the UI thread's pump on SDL (see UiMessagePump for the
// loop's rules it keeps). It waits in SDL_WaitEvent(Timeout), hands every
// window-system event to the event handler between tasks, and wakes with
// one SDL user event of its own type whose data1 names the pump, so a
// wake-up left behind by a pump that is gone is dropped.
//
// SDL's video (or events) subsystem must be initialised before the pump is
// made and stay so while it lives. Everything but WakeUp runs on the thread
// that pumps SDL events (the UI thread).
#pragma once

#include <SDL.h>

#include <cstdint>
#include <functional>

#include "ui/backend/ui_message_pump.h"

namespace ui {

class SdlMessagePump : public UiMessagePump {
 public:
  // Receives every SDL event that is not one of the pump's wake-ups.
  using EventHandler = std::function<void(const SDL_Event&)>;

  SdlMessagePump();
  ~SdlMessagePump() override;

  // The handler of window-system events; the process-wide default is
  // SdlBackend's router.
  void SetEventHandler(EventHandler handler) { event_handler_ = std::move(handler); }

  // The SDL event type of wake-ups (registered once per process).
  static uint32_t WakeUpEventType();
  // This pump's identity in the wake-up events it pushes (data1).
  intptr_t id() const { return id_; }

 private:
  Taken TakeEvent() override;
  void HandleTakenEvent() override;
  bool QueueWakeUp() override;
  Taken WaitForEvent(int timeout_ms) override;
  Taken Classify(const SDL_Event& event);

  const intptr_t id_;
  SDL_Event taken_{};
  EventHandler event_handler_;
};

}  // namespace ui
