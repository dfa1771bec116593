#include "ui/backend/sdl_message_pump.h"

#include <atomic>

namespace ui {

namespace {

std::atomic<intptr_t> g_next_pump_id{1};

}  // namespace

SdlMessagePump::SdlMessagePump() : id_(g_next_pump_id.fetch_add(1)) {}

SdlMessagePump::~SdlMessagePump() {
  // A wake-up still queued names an id no pump will own again; the next pump
  // drops it as stale.
}

uint32_t SdlMessagePump::WakeUpEventType() {
  static const uint32_t type = [] {
    uint32_t registered = SDL_RegisterEvents(1);
    return registered == static_cast<uint32_t>(-1) ? static_cast<uint32_t>(SDL_USEREVENT)
                                                   : registered;
  }();
  return type;
}

bool SdlMessagePump::QueueWakeUp() {
  SDL_Event event;
  SDL_zero(event);
  event.type = WakeUpEventType();
  event.user.code = 0;
  event.user.data1 = reinterpret_cast<void*>(id_);
  return SDL_PushEvent(&event) == 1;
}

UiMessagePump::Taken SdlMessagePump::Classify(const SDL_Event& event) {
  if (event.type == WakeUpEventType() && reinterpret_cast<intptr_t>(event.user.data1) == id_) {
    return Taken::kOwnWakeUp;
  }
  taken_ = event;
  return Taken::kEvent;
}

UiMessagePump::Taken SdlMessagePump::TakeEvent() {
  SDL_Event event;
  if (SDL_PollEvent(&event) != 1) return Taken::kNothing;
  return Classify(event);
}

UiMessagePump::Taken SdlMessagePump::WaitForEvent(int timeout_ms) {
  SDL_Event event;
  const int got = timeout_ms < 0 ? SDL_WaitEvent(&event) : SDL_WaitEventTimeout(&event, timeout_ms);
  if (got != 1) return Taken::kNothing;
  return Classify(event);
}

void SdlMessagePump::HandleTakenEvent() {
  // A wake-up of a pump that is gone is dropped.
  if (taken_.type == WakeUpEventType()) return;
  if (event_handler_) event_handler_(taken_);
}

}  // namespace ui
