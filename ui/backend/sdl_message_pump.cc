#include "ui/backend/sdl_message_pump.h"

#include <algorithm>
#include <limits>

namespace ui {

namespace {

std::atomic<intptr_t> g_next_pump_id{1};

// SDL's wait takes an int of milliseconds; anything longer waits in steps.
constexpr int64_t kMaxWaitMs = std::numeric_limits<int>::max() / 2;

}  // namespace

SdlMessagePump::SdlMessagePump() : id_(g_next_pump_id.fetch_add(1)) {
  if (UiStallMeter::IsEnabledByEnvironment()) stall_meter_ = std::make_unique<UiStallMeter>();
}

SdlMessagePump::~SdlMessagePump() {
  // A wake-up still queued names an id no pump will own again; the next pump
  // drops it as stale.
}

int SdlMessagePump::DelayedWaitMs(int64_t delay_ms) {
  return static_cast<int>(std::clamp<int64_t>(delay_ms, kMinDelayedWaitMs, kMaxWaitMs));
}

uint32_t SdlMessagePump::WakeUpEventType() {
  static const uint32_t type = [] {
    uint32_t registered = SDL_RegisterEvents(1);
    return registered == static_cast<uint32_t>(-1) ? static_cast<uint32_t>(SDL_USEREVENT)
                                                   : registered;
  }();
  return type;
}

void SdlMessagePump::Run(Delegate* delegate) {
  RunState state;
  state.depth = state_ ? state_->depth + 1 : 1;
  state.delegate = delegate;
  RunState* previous = state_;
  state_ = &state;
  PumpLoop(&state);
  state_ = previous;
}

void SdlMessagePump::Quit() {
  if (state_) state_->should_quit = true;
}

void SdlMessagePump::WakeUp() {
  // Only the transition 0 -> 1 pushes: at most one wake-up is pending.
  if (have_work_.exchange(1, std::memory_order_acq_rel) != 0) return;
  SDL_Event event;
  SDL_zero(event);
  event.type = WakeUpEventType();
  event.user.code = 0;
  event.user.data1 = reinterpret_cast<void*>(id_);
  if (SDL_PushEvent(&event) == 1) {
    wake_ups_pushed_.fetch_add(1, std::memory_order_relaxed);
  } else {
    // The queue refused (full or filtered): let the next post try again.
    have_work_.store(0, std::memory_order_release);
  }
}

void SdlMessagePump::WakeUpAt(nbase::TickClock time) {
  // Called on the pump's thread from inside Run: the next wait is computed
  // from it.
  next_delayed_time_ = time;
}

void SdlMessagePump::PumpLoop(RunState* state) {
  Delegate* delegate = state->delegate;
  for (;;) {
    if (stall_meter_) stall_meter_->Responsive();
    bool more = ProcessNextEvent();
    if (state->should_quit) break;

    more |= delegate->RunWork();
    if (state->should_quit) break;

    more |= delegate->RunDelayedWork(&next_delayed_time_);
    if (state->should_quit) break;
    if (more) continue;

    more = delegate->RunIdleWork();
    if (state->should_quit) break;
    if (more) continue;

    WaitForWork();
  }
}

bool SdlMessagePump::ProcessNextEvent() {
  SDL_Event event;
  if (SDL_PollEvent(&event) != 1) return false;
  return DispatchTakenEvent(event);
}

bool SdlMessagePump::DispatchTakenEvent(const SDL_Event& event) {
  if (IsOwnWakeUp(event)) {
    // Let one more event through so that a stream of tasks, each waking the
    // pump again, never starves input and painting.
    SDL_Event next;
    const bool found = SDL_PollEvent(&next) == 1;
    have_work_.store(0, std::memory_order_release);
    if (!found) return false;  // the loop runs RunWork next anyway
    WakeUp();
    if (!IsOwnWakeUp(next) && next.type != WakeUpEventType()) HandleEvent(next);
    return true;
  }
  // A wake-up of a pump that is gone is dropped.
  if (event.type != WakeUpEventType()) HandleEvent(event);
  return true;
}

bool SdlMessagePump::IsOwnWakeUp(const SDL_Event& event) const {
  return event.type == WakeUpEventType() && reinterpret_cast<intptr_t>(event.user.data1) == id_;
}

void SdlMessagePump::HandleEvent(const SDL_Event& event) {
  if (event_handler_) event_handler_(event);
}

void SdlMessagePump::WaitForWork() {
  int timeout_ms = -1;
  if (!next_delayed_time_.is_null()) {
    const int64_t delay = (next_delayed_time_ - nbase::TickClock::Now()).ToMillisecondsRoundedUp();
    if (delay <= 0) {
      // The delayed work is due: run it without waiting.
      next_delayed_time_ = nbase::TickClock();
      return;
    }
    timeout_ms = DelayedWaitMs(delay);
  }
  if (will_wait_hook_) will_wait_hook_();
  if (stall_meter_) stall_meter_->Responsive();
  SDL_Event event;
  const int got = timeout_ms < 0 ? SDL_WaitEvent(&event) : SDL_WaitEventTimeout(&event, timeout_ms);
  if (stall_meter_) stall_meter_->Resumed();
  if (got == 1) DispatchTakenEvent(event);
}

}  // namespace ui
